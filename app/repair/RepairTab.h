#pragma once
// The "Repair database" tab: the repair table in a grid, the current record
// mirrored into plain edit fields the user may change, a quick search by
// company, and the commands that save, clear and delete.
//
// The main window owns the flags the tab reads and sets (starting, the
// quick search enabled, the fields unchanged); the tab holds pointers to
// them. Unsaved changes in the fields are never dropped without a
// question: Clear, moving to another record (grid, quick search), Delete,
// closing the window and backup or restore all ask first.
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace platform {
class TCaseEdit;
class TDBGrid;
class TTable;
}  // namespace platform

namespace vorel {

class TModuloDeDados;

// The main window's flags the tab works with.
struct RepairTabState {
    const bool* Starting;  // the window's starting flag
    bool* QuickSearchEnabled;     // the repair quick-search box may search
    bool* Unchanged;       // the edit fields hold the record as stored
};

class RepairTab : public QWidget {
    Q_OBJECT
public:
    explicit RepairTab(RepairTabState state, QWidget* parent = nullptr);

    // The data module whose Reparos table the tab shows (not owned).
    void Attach(TModuloDeDados* module);

    platform::TDBGrid* DBGridBDR1;
    QLineEdit *BDRFabricante, *BDREquipamento, *BDRModelo, *BDRDefeito;
    QPlainTextEdit* BDRDescricao;
    platform::TCaseEdit* BDRBuscaRapida;
    QToolButton *GravaBDR, *LimpaBDR, *ApagaBDR;

    // Handlers.
    void BDRFabricanteChange();
    void BDRBuscaRapidaChange();
    void DBGridBDR1CellClick();
    void LimpaBDRClick() { ClearFields(); }
    void GravaBDRClick() { SaveRecord(); }
    void ApagaBDRClick() { DeleteRecord(); }

    // After every scroll of Reparos: the record into the fields and its
    // company into the quick-search box (not while starting).
    void ExibeRegistroBDR();
    // Start-up: the current record into the fields; its company into the
    // quick-search box, which searches.
    void CopyCurrentRecord();
    void CopyCompany();

    // When the fields hold unsaved changes, asks "Changes were made. Do you
    // want to save them?" (Yes/No/Cancel): Yes saves, No drops them. True
    // when the fields may be replaced now (nothing unsaved, saved, or No);
    // false on Cancel or a save that did not complete.
    bool AskToSave();
    // Clear: asks to save unsaved changes before emptying.
    void ClearFields();
    // Save: inserts the fields as a record, or overwrites the record of the
    // same four key texts after asking. True when the record was written;
    // the fields are then unchanged. The stored record is checked, inside
    // the write, against the one the fields were filled from (for another
    // key: against what the lookup before the question found): when
    // another window or program changed, removed or created it meanwhile,
    // nothing is written, the user is told and the fields keep what was
    // typed; a second Save then writes over what is stored now.
    bool SaveRecord();
    // Delete: the current record, after asking (unsaved changes first).
    void DeleteRecord();

private:
    TModuloDeDados& Module();
    platform::TTable& Reparos();
    void Build();
    void ConnectEvents();
    void CopyRecord();
    void WriteSearch(const std::string& text);
    // Before the table leaves its record for another.
    bool MayLeave();
    // After another copy of the program overtook a write: the record as stored now.
    void ShowCurrentRecord();
    // The current record's four keys and text; nothing when there is none.
    std::optional<std::vector<std::string>> CurrentTexts();
    // Tells the user another window or program wrote first; false.
    bool RefuseOvertakenSave(std::optional<std::vector<std::string>> storedNow);

    RepairTabState state_;
    // The record the fields were filled from, as it was stored then.
    std::optional<std::vector<std::string>> shown_;
    TModuloDeDados* module_ = nullptr;
};

}  // namespace vorel
