#pragma once
// The three form registries (page forms, forms shown while files are
// copied, change-disk forms), the manager whose frame is being built and
// shown, and the search for a manager by type. They live in the engine's
// context; the framework's start-up (InitDialogFrameworkUnit) makes them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace installer {
class EngineContext;
class TBaseTamselForm;
}  // namespace installer

namespace setupwizard {

class TCustomBaseInstallDlg;
class TDialogManager;

enum TManagerType { dmBeforeInstall, dmAfterGoodInstall, dmAfterBadInstall, dmDuringCopyFiles, dmChangeDisk, dmReboot };

// A form class: its name and how to make one. owner is the hosting form,
// or nullptr for the application.
struct TFormClass {
    std::string Name;
    std::function<installer::TBaseTamselForm*(QWidget* owner, installer::EngineContext& context)> Create;
};

struct TFormEntry {
    const TFormClass* FormClass = nullptr;
    TCustomBaseInstallDlg* Dialog = nullptr;
    int Tag = 0;
};
using TBIFEntry = TFormEntry;
using TDCFEntry = TFormEntry;

// A registry: absent until made; owns its entries.
class TFormEntryList {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    TFormEntry* Get(int index) const { return entries_.at(static_cast<std::size_t>(index)).get(); }
    TFormEntry* Add(const TFormClass& formClass, TCustomBaseInstallDlg* dialog, int tag);
    // Removes and frees the entry; anything else is ignored.
    void Remove(const TFormEntry* entry);
    // The entries as they are now, for walks that may change the list.
    std::vector<TFormEntry*> Snapshot() const;

private:
    std::vector<std::unique_ptr<TFormEntry>> entries_;
};

struct WizardRegistries {
    std::unique_ptr<TFormEntryList> BIFList;
    std::unique_ptr<TFormEntryList> DCFList;
    std::unique_ptr<TFormEntryList> ChangeDiskFormList;
    TDialogManager* CurrentDialogManager = nullptr;
    // Entries that a page unit's start-up registered, by form class, until
    // its dialog unit removes them.
    std::vector<std::pair<const TFormClass*, TFormEntry*>> UnitEntries;
};
WizardRegistries& Registries(installer::EngineContext& context);

// The framework's start-up: makes the registries that are missing.
void InitDialogFrameworkUnit(installer::EngineContext& context);

TFormEntry* RegisterPageForm(installer::EngineContext& context, const TFormClass& formClass,
                             TCustomBaseInstallDlg* dialog, int tag);
void UnregisterPageForm(installer::EngineContext& context, const TFormEntry* entry);
int PageFormCount(installer::EngineContext& context);
// Raises a translated plain exception for a missing list, a bad index or a nil entry.
TFormEntry* PageFormEntry(installer::EngineContext& context, int index);
TFormEntry* RegisterDuringCopyForm(installer::EngineContext& context, const TFormClass& formClass,
                                   TCustomBaseInstallDlg* dialog, int tag);

// A page or copy-form unit's start-up: registers its form class without a
// dialog and keeps the entry; the matching dialog unit's start-up removes it.
void InitPageFormUnit(installer::EngineContext& context, const TFormClass& formClass);
void InitDuringCopyFormUnit(installer::EngineContext& context, const TFormClass& formClass);
void InitDialogUnit(installer::EngineContext& context, const TFormClass& formClass);

// The first manager of that type whose Container is the install; nullptr when none.
TDialogManager* FindDialogManager(installer::EngineContext& context, TManagerType type);

}  // namespace setupwizard
