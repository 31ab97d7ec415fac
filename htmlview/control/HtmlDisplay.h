#pragma once
// THtmlDisplay: the HTML display control. It owns one document, loads it
// from a file, an image file or a list of lines, lays it out at its own
// width, paints it through a child panel with its own scroll bars, follows
// links between local files, keeps a history of visited files and hands the
// document's events (links, images, forms, META, sounds, includes) to the
// host.
//
// Text inside the viewer is Windows-1252; LoadFromStrings takes the
// program's UTF-8 lines and converts them. Every event handler of ours runs
// guarded, so no exception crosses Qt's event loop.
#include "htmlview/control/DocumentParser.h"
#include "htmlview/control/PaintPanel.h"
#include "htmlview/control/ScrollBar.h"
#include "htmlview/layout/SectionList.h"
#include "htmlview/util/FreeList.h"
#include "htmlview/util/StringList.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace htmlview {

class TImageObj;

enum class THTMLBorderStyle { htFocused, htNone, htSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A reading position: the block at the top of the view and how far the
// view's top is into it. Kept whole inside; GetPosition hands out the packed
// 32-bit form (block index in the high 16 bits, offset in the low 16).
struct TReadingPosition {
    int Block = 0;
    int Offset = 0;
    std::uint32_t Packed() const {
        return (static_cast<std::uint32_t>(Block) << 16) | (static_cast<std::uint32_t>(Offset) & 0xFFFF);
    }
    bool operator==(const TReadingPosition&) const = default;
};

// The reading position and file type of a history entry.
struct PositionObj {
    TReadingPosition Pos;
    int FileType = 0;
};

struct TRightClickParameters {
    std::string URL;
    std::string Target;
    TImageObj* Image = nullptr;
    int ImageX = 0;
    int ImageY = 0;
};

using THotSpotEvent = std::function<void(QWidget* sender, const std::string& src)>;
using THotSpotClickEvent = std::function<void(QWidget* sender, const std::string& src, bool& handled)>;
using TScriptEvent = decltype(TSectionList::OnScript);
// A form's submission, delivered queued. The handler owns Results. Every
// string is Windows-1252 bytes like the rest of the viewer, not the program's
// UTF-8: Action, Target, EncType and Method as the page wrote them, each
// result "name=value" as typed and not URL-encoded. Convert with
// platform::Cp1252ToUtf8 before using them as program text.
using TFormSubmitEvent = std::function<void(QWidget* sender, const std::string& action, const std::string& target,
                                            const std::string& encType, const std::string& method,
                                            std::vector<std::string> results)>;
using TNotifyEvent = std::function<void(QWidget* sender)>;
using TProcessingEvent = std::function<void(QWidget* sender, bool processingOn)>;
using TMetaRefreshType = std::function<void(QWidget* sender, int delay, const std::string& url)>;
using TImageClickEvent = std::function<void(QWidget* sender, TImageObj* obj, Qt::MouseButton button,
                                            Qt::KeyboardModifiers shift, int x, int y)>;
using TImageOverEvent =
    std::function<void(QWidget* sender, TImageObj* obj, Qt::KeyboardModifiers shift, int x, int y)>;
using TRightClickEvent = std::function<void(QWidget* sender, const TRightClickParameters& parameters)>;
using TMouseEvent = std::function<void(QWidget* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                       int y)>;
using TMouseMoveEvent = std::function<void(QWidget* sender, Qt::KeyboardModifiers shift, int x, int y)>;
using TKeyEvent = std::function<void(QWidget* sender, int& key, Qt::KeyboardModifiers shift)>;

class THtmlDisplay : public QWidget {
public:
    explicit THtmlDisplay(QWidget* owner = nullptr);
    ~THtmlDisplay() override;

    // ---- Properties (setters clamp as the control always did).
    bool ViewImages() const { return Document->ImagesOn; }
    void SetViewImages(bool on);
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor c);
    THTMLBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(THTMLBorderStyle s);
    int HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int n);
    const std::string& DefFontName() const { return defFontName_; }
    void SetDefFontName(const std::string& name);
    const std::string& DefPreFontName() const { return defPreFontName_; }
    void SetDefPreFontName(const std::string& name);
    int DefFontSize() const { return defFontSize_; }
    void SetDefFontSize(int size);
    TColor DefFontColor() const { return defFontColor_; }
    void SetDefFontColor(TColor c);
    TColor DefHotSpotColor() const { return defHotSpotColor_; }
    void SetDefHotSpotColor(TColor c);
    int ImageCacheCount() const { return imageCacheCount_; }
    // Loads an unused picture survives in the shared image cache (0..20).
    void SetImageCacheCount(int n);
    // The host delivers a picture it answered "not ready" (NotReadyStream)
    // for: the images waiting for Name show it (or the broken image when the
    // bytes are no picture) and the page is laid out again, keeping the
    // reading position. False when nothing waits for Name, or while busy.
    bool InsertImage(const std::string& name, const std::string& bytes);
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    int CharSet() const { return Document->FontCharset; }
    void SetCharSet(int c);
    int MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int m);
    int MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int m);
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& root);

    // ---- Events. Image requests, scripts and object clicks go to the document too.
    THotSpotEvent OnHotSpotCovered;
    THotSpotClickEvent OnHotSpotClick;
    void SetOnImageRequest(TGetImageEvent e);
    void SetOnScript(TScriptEvent e);
    void SetOnObjectClick(TObjectClickEvent e);
    // Without a handler forms do not submit at all.
    void SetOnFormSubmit(TFormSubmitEvent e);
    TNotifyEvent OnHistoryChange;
    TProcessingEvent OnProcessing;
    TIncludeType OnInclude;
    TSoundType OnSoundRequest;
    TMetaType OnMeta;
    TMetaRefreshType OnMetaRefresh;
    TImageClickEvent OnImageClick;
    TImageOverEvent OnImageOver;
    TRightClickEvent OnRightClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;

    // ---- Loading.
    // An HTML file, 'name#anchor' allowed; recorded in the history.
    void LoadFromFile(const std::string& fileName);
    // An image file shown as a document of its own; recorded in the history.
    void LoadImageFile(const std::string& fileName);
    // The program's UTF-8 lines; then the META refresh event when the page asked for one.
    void LoadFromStrings(const std::vector<std::string>& lines);
    void Clear();
    bool JumpToAnchor(const std::string& name);
    std::string LinkToFileName(const std::string& link) const;
    // Acts on the link last clicked (HotSpotUrl).
    void FollowLink();

    // ---- Reading position and scrolling.
    std::uint32_t GetPosition() const { return ReadingPosition().Packed(); }
    void SetPosition(std::int64_t position);
    TReadingPosition ReadingPosition() const;
    void SetReadingPosition(const TReadingPosition& p);
    void ScrollToY(int y);
    // The vertical position through the public operation: only a change moves.
    void SetVScrollPos(int y);
    int VScrollPos() const { return VScrollBar->Position(); }
    int HScrollPos() const { return HScrollBar->Position(); }

    // ---- What the host may read.
    TSectionList* Document;
    TStringList NameList;
    std::string DocumentTitle, Base, BaseTarget, CurrentFile;
    int FileType = 0;  // 0 HTML, 2 image
    std::string HotSpotUrl, HotSpotTarget;
    int RefreshDelay = 0;
    std::string RefreshUrl;
    int DocWidth = 0, DocHeight = 0;
    bool Busy() const { return busy_; }
    bool LayoutRunning() const { return layoutRunning_; }
    const std::vector<std::string>& History() const { return history_; }
    const std::vector<std::string>& TitleHistory() const { return titleHistory_; }
    const TFreeList<PositionObj>& PositionHistory() const { return positionHistory_; }
    void ClearHistory();

    // ---- Painting, mouse, keys and scrolling.
    TPaintPanel* PaintPanel;
    T32ScrollBar* VScrollBar;
    T32ScrollBar* HScrollBar;
    int ScrollBarWidth = 0;
    int CaretIndex = 0;
    int MouseDownIndex = -1;
    bool LinkPressPending = false;
    bool Selecting = false;
    bool AutoScrolling = false;
    bool LinkFollowed = false;
    int LastLayoutWidth = 0;
    // Milliseconds for the autoscroll pace; tests give their own clock.
    std::function<std::int64_t()> TickCount;

    void LayoutDocument();
    void UpdateScrollBars();
    void DrawDocument();
    void PanelMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PanelMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void PanelMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void SelectWordAt(int x, int y);
    void HandleKeyDown(int key);
    void HandleResize();
    // One step of the drag autoscroll; the timer calls it while the mouse
    // is held outside the panel.
    void DragAutoScrollStep();
    void HandleVScroll(TScrollCode code, int trackPos);
    void HandleHScroll(TScrollCode code, int trackPos);
    // The pen the border is drawn with.
    TColor BorderColor() const;

    // The parser loads go through (tests may install their own).
    void SetParser(std::unique_ptr<TDocumentParser> parser) { parser_ = std::move(parser); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class TPaintPanel;
    class BusyScope;  // the busy state from construction to destruction
    enum class Kind { Html = 0, Image = 2 };
    void SetProcessing(bool on);
    void LoadFileAs(const std::string& fileName, Kind kind);
    void LoadStringsAs(const std::vector<std::string>& cp1252Lines);
    void PrepareDocument();
    void FinishLoad(const TParsedPage& page);
    void LoadFileOrImage(const std::string& fileName, Kind kind);
    void AddToHistory(const std::string& oldFile, const std::string& oldTitle, int oldType,
                      const TReadingPosition& oldPosition);
    void MetaHandler(const std::string& httpEq, const std::string& name, const std::string& content);
    TParserCallbacks Callbacks(bool html);
    void SetDefaults();
    void RefreshFonts();
    // Lays out again at the same reading position (busy state around).
    void Relayout();
    void ControlEnterHook(TFormControlObj* control);
    void ExtendSelection(int x, int y);
    void SetVerticalTo(int y, bool scrollContent);
    int DocumentY(int panelY) const;
    int MaxVScroll() const;
    int MaxHScroll() const;
    std::unique_ptr<TCanvas> MeasuringCanvas() const;

    std::unique_ptr<TDocumentParser> parser_;
    TColor defBackground_ = clBtnFace;
    THTMLBorderStyle borderStyle_ = THTMLBorderStyle::htFocused;
    int historyMaxCount_ = 0;
    std::string defFontName_ = "Times New Roman";
    std::string defPreFontName_ = "Courier New";
    int defFontSize_ = 12;
    TColor defFontColor_ = clBtnText;
    TColor defHotSpotColor_ = 0xFF0000;
    int imageCacheCount_ = 5;
    bool noSelect_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    int marginHeight_ = 5;
    int marginWidth_ = 10;
    std::string serverRoot_;
    TFormSubmitEvent onFormSubmit_;
    bool busy_ = false;
    bool layoutRunning_ = false;
    std::vector<std::string> history_;
    TFreeList<PositionObj> positionHistory_;
    std::vector<std::string> titleHistory_;
    QTimer autoScrollTimer_;
    std::int64_t lastAutoScroll_ = 0;
    QPoint lastMouse_;  // panel coordinates of the last mouse move
    Qt::MouseButtons lastButtons_;
};

}  // namespace htmlview
