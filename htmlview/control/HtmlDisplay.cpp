// The control itself: construction, properties, loading, links, anchors,
// the history and the reading position.
#include "htmlview/control/HtmlDisplay.h"
#include "htmlview/control/LinkFiles.h"

#include "htmlview/images/ImageCache.h"
#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/WaitCursor.h"

#include <QApplication>
#include <QCursor>
#include <algorithm>
#include <chrono>
#include <filesystem>

namespace htmlview {

namespace {

namespace fs = std::filesystem;


// The extension with its dot, upper-cased, at most five characters.
std::string ExtensionOf(const std::string& file) {
    const size_t slash = file.find_last_of("/\\");
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return platform::AsciiUpper(file.substr(dot, 5));
}

bool SameIgnoringCase(const std::string& a, const std::string& b) { return platform::AsciiUpper(a) == platform::AsciiUpper(b); }

}  // namespace

THtmlDisplay::THtmlDisplay(QWidget* owner) : QWidget(owner), parser_(MakeDocumentParser()) {
    resize(150, 150);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);

    PaintPanel = TPaintPanel::CreateForViewer(this, this);
    PaintPanel->move(1, 1);
    PaintPanel->setCursor(cursor());
    PaintPanel->PaintHook = [this] { DrawDocument(); };
    SetImageCacheCount(imageCacheCount_);

    VScrollBar = new T32ScrollBar(Qt::Vertical, this);
    VScrollBar->SmallChange = 16;
    VScrollBar->hide();
    ScrollBarWidth = VScrollBar->sizeHint().width();
    VScrollBar->OnScroll = [this](TScrollCode code, int track) { HandleVScroll(code, track); };
    HScrollBar = new T32ScrollBar(Qt::Horizontal, this);
    HScrollBar->SmallChange = 15;
    HScrollBar->hide();
    HScrollBar->OnScroll = [this](TScrollCode code, int track) { HandleHScroll(code, track); };

    Document = new TSectionList(this, PaintPanel);
    Document->ControlEnterHook = [this](TFormControlObj* c) { ControlEnterHook(c); };
    Document->BackChangeHook = [this](TSectionList* d) { PaintPanel->SetColor(d->BackColor | kPaletteRelative); };
    Document->NameList = &NameList;
    Document->LinkToFileName = [this](const std::string& link) { return LinkToFileName(link); };
    Document->SetDefaults(defFontName_, defPreFontName_, defFontSize_, defFontColor_, defHotSpotColor_,
                          defBackground_);

    autoScrollTimer_.setInterval(25);
    connect(&autoScrollTimer_, &QTimer::timeout, this, [this] { platform::Guarded([this] { DragAutoScrollStep(); }); });
    TickCount = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    UpdateScrollBars();
}

THtmlDisplay::~THtmlDisplay() {
    autoScrollTimer_.stop();
    Document->NameList = nullptr;
    delete Document;
}

// ---- Busy state

void THtmlDisplay::SetProcessing(bool on) {
    if (on == busy_) return;
    busy_ = on;
    if (OnProcessing) OnProcessing(this, on);
}

class THtmlDisplay::BusyScope {
public:
    explicit BusyScope(THtmlDisplay& viewer) : viewer_(viewer) { viewer_.SetProcessing(true); }
    ~BusyScope() { viewer_.SetProcessing(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    THtmlDisplay& viewer_;
};

// ---- Properties

void THtmlDisplay::SetViewImages(bool on) {
    if (on == Document->ImagesOn || busy_) return;
    platform::WaitCursor wait;
    BusyScope busy(*this);
    Document->ImagesOn = on;
    if (Document->Count() > 0) {
        Document->FetchBackImage();
        const TReadingPosition pos = ReadingPosition();
        LayoutDocument();
        SetReadingPosition(pos);
    }
    PaintPanel->update();
}

void THtmlDisplay::SetDefBackground(TColor c) {
    if (busy_) return;
    defBackground_ = c;
    Document->SetBackColor(c);
    PaintPanel->update();
}

void THtmlDisplay::SetBorderStyle(THTMLBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    UpdateScrollBars();
    update();
}

void THtmlDisplay::SetHistoryMaxCount(int n) {
    if (n == historyMaxCount_ || n < 0) return;
    if (n < historyMaxCount_) ClearHistory();
    historyMaxCount_ = n;
}

void THtmlDisplay::RefreshFonts() { Document->RefreshFonts(); }

void THtmlDisplay::SetDefFontName(const std::string& name) {
    if (busy_ || SameIgnoringCase(name, Document->BodyFontName)) return;
    defFontName_ = name;
    Document->BodyFontName = name.substr(0, 33);
    RefreshFonts();
    if (Document->Count() > 0) Relayout();
    PaintPanel->update();
}

void THtmlDisplay::SetDefPreFontName(const std::string& name) {
    if (busy_ || SameIgnoringCase(name, Document->FixedFontName)) return;
    defPreFontName_ = name;
    Document->FixedFontName = name.substr(0, 33);
    RefreshFonts();
    if (Document->Count() > 0) Relayout();
    PaintPanel->update();
}

void THtmlDisplay::SetDefFontSize(int size) {
    if (busy_) return;
    defFontSize_ = std::max(size, 6);
    Document->BaseFontSize = defFontSize_;
    RefreshFonts();
    if (Document->Count() > 0) Relayout();
    PaintPanel->update();
}

void THtmlDisplay::SetDefFontColor(TColor c) {
    defFontColor_ = c;
    Document->TextColor = c;
    RefreshFonts();
    PaintPanel->update();
}

void THtmlDisplay::SetDefHotSpotColor(TColor c) {
    defHotSpotColor_ = c;
    Document->LinkColor = c;
    RefreshFonts();
    PaintPanel->update();
}

void THtmlDisplay::SetImageCacheCount(int n) {
    imageCacheCount_ = std::clamp(n, 0, 20);
    ImageCache().SetAgeLimit(imageCacheCount_);
}

bool THtmlDisplay::InsertImage(const std::string& name, const std::string& bytes) {
    if (busy_ || !Document->InsertImage(name, bytes)) return false;
    BusyScope busy(*this);
    const TReadingPosition pos = ReadingPosition();
    LayoutDocument();
    SetReadingPosition(pos);
    PaintPanel->update();
    return true;
}

void THtmlDisplay::SetNoSelect(bool on) {
    noSelect_ = on;
    if (on) {
        Document->SelStart = Document->SelEnd = 0;
        PaintPanel->update();
    }
}

void THtmlDisplay::SetScrollBars(TScrollStyle s) {
    scrollBars_ = s;
    if (busy_) return;
    BusyScope busy(*this);
    LayoutDocument();
    PaintPanel->update();
}

void THtmlDisplay::SetCharSet(int c) {
    if (busy_) return;
    Document->FontCharset = c;
    RefreshFonts();
    if (Document->Count() > 0) Relayout();
    PaintPanel->update();
}

void THtmlDisplay::SetMarginHeight(int m) {
    if (m == marginHeight_ || busy_ || m < 0 || m > 50) return;
    platform::WaitCursor wait;
    marginHeight_ = m;
    if (Document->Count() > 0) Relayout();
}

void THtmlDisplay::SetMarginWidth(int m) {
    if (m == marginWidth_ || busy_ || m < 0 || m > 50) return;
    platform::WaitCursor wait;
    marginWidth_ = m;
    if (Document->Count() > 0) Relayout();
}

void THtmlDisplay::SetServerRoot(const std::string& root) {
    serverRoot_ = platform::TrimControls(root);
    if (!serverRoot_.empty() && serverRoot_.back() == '\\') serverRoot_.pop_back();
}

void THtmlDisplay::Relayout() {
    BusyScope busy(*this);
    const TReadingPosition pos = ReadingPosition();
    LayoutDocument();
    SetReadingPosition(pos);
}

// ---- Events that the document calls

void THtmlDisplay::SetOnImageRequest(TGetImageEvent e) { Document->OnImageRequest = std::move(e); }
void THtmlDisplay::SetOnScript(TScriptEvent e) { Document->OnScript = std::move(e); }
void THtmlDisplay::SetOnObjectClick(TObjectClickEvent e) { Document->OnObjectClick = std::move(e); }

void THtmlDisplay::SetOnFormSubmit(TFormSubmitEvent e) {
    onFormSubmit_ = std::move(e);
    if (!onFormSubmit_) {
        Document->SubmitHook = nullptr;
        return;
    }
    // The event is delivered once the current mouse or key message is over,
    // so its handler may load another document. Each submission carries its
    // own copies.
    Document->SubmitHook = [this](QWidget*, const std::string& action, const std::string& target,
                                  const std::string& encType, const std::string& method,
                                  std::vector<std::string> results) {
        QMetaObject::invokeMethod(
            this,
            [this, action, target, encType, method, results = std::move(results)]() mutable {
                platform::Guarded([&] {
                    if (onFormSubmit_) onFormSubmit_(this, action, target, encType, method, std::move(results));
                });
            },
            Qt::QueuedConnection);
    };
}

void THtmlDisplay::ControlEnterHook(TFormControlObj* control) {
    if (!control || !control->TheControl) return;
    const int pos = VScrollPos();
    // Where layout put the control's line: its window may be stale or hidden.
    const int top = control->LineTop;
    const int client = PaintPanel->height();
    if (top < pos || top > pos + client - 20) {
        ScrollToY(top - client / 2);
        control->TheControl->update();
    }
}

// ---- Loading

TParserCallbacks THtmlDisplay::Callbacks(bool html) {
    TParserCallbacks c;
    c.OnInclude = OnInclude;
    if (html) {
        c.Meta = [this](QWidget*, const std::string& httpEq, const std::string& name, const std::string& content) {
            MetaHandler(httpEq, name, content);
        };
        c.OnSoundRequest = OnSoundRequest;
    }
    return c;
}

void THtmlDisplay::MetaHandler(const std::string& httpEq, const std::string& name, const std::string& content) {
    if (OnMeta) OnMeta(this, httpEq, name, content);
    if (!OnMetaRefresh || !SameIgnoringCase(httpEq, "refresh")) return;
    const size_t semi = content.find(';');
    const int delay = semi == std::string::npos ? -1 : StrToIntDef(platform::TrimControls(content.substr(0, semi)), -1);
    const size_t url = platform::AsciiLower(content).find("url=");
    if (delay > 0 && url != std::string::npos) {
        RefreshUrl = content.substr(url + 4);
        RefreshDelay = delay;
    }
}

void THtmlDisplay::PrepareDocument() {
    Document->Clear();
    ImageCache().AgeEntries();
    Document->SetDefaults(defFontName_, defPreFontName_, defFontSize_, defFontColor_, defHotSpotColor_,
                          defBackground_);
    NameList.Clear();
    CaretIndex = 0;
    MouseDownIndex = -1;
}

void THtmlDisplay::FinishLoad(const TParsedPage& page) {
    DocumentTitle = page.Title;
    Base = page.BaseHref;
    BaseTarget = page.BaseTarget;
    layoutRunning_ = true;
    try {
        Document->FetchBackImage();
    } catch (...) {
        layoutRunning_ = false;
        throw;
    }
    LayoutDocument();
}

void THtmlDisplay::LoadFileAs(const std::string& fileName, Kind kind) {
    platform::WaitCursor wait;
    const size_t hash = fileName.find('#');
    const std::string file = fileName.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : fileName.substr(hash + 1);
    RefreshDelay = 0;
    {
        BusyScope busy(*this);
        const std::string expanded = ExpandFileName(file);
        std::error_code ec;
        if (expanded.empty() || !fs::is_regular_file(expanded, ec))
            throw EInOutError("Can't locate file: " + file);
        PrepareDocument();
        const std::string previous = CurrentFile;
        TParsedPage page;
        auto finish = [&] {
            CurrentFile = expanded;
            FileType = static_cast<int>(kind);
            FinishLoad(page);
            if (!anchor.empty()) {
                JumpToAnchor(anchor);
            } else if (CurrentFile != previous) {
                ScrollToY(0);
                HScrollBar->SetPosition(0);
            }
            PaintPanel->update();
        };
        try {
            if (kind == Kind::Html) {
                if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
                page = parser_->ParseFile(*Document, NameList, expanded, Callbacks(true));
            } else {
                page = parser_->ParseBuffer(*Document, NameList, "<img src=\"" + file + "\">", Callbacks(false));
            }
        } catch (...) {
            finish();
            throw;
        }
        finish();
    }
    if (RefreshDelay > 0 && OnMetaRefresh) OnMetaRefresh(this, RefreshDelay, RefreshUrl);
}

void THtmlDisplay::LoadFileOrImage(const std::string& fileName, Kind kind) {
    if (busy_ || fileName.empty()) return;
    const std::string oldFile = CurrentFile, oldTitle = DocumentTitle;
    const TReadingPosition oldPos = ReadingPosition();
    const int oldType = FileType;
    LoadFileAs(fileName, kind);
    if (CurrentFile != oldFile || FileType != oldType) AddToHistory(oldFile, oldTitle, oldType, oldPos);
}

void THtmlDisplay::LoadFromFile(const std::string& fileName) { LoadFileOrImage(fileName, Kind::Html); }
void THtmlDisplay::LoadImageFile(const std::string& fileName) { LoadFileOrImage(fileName, Kind::Image); }

void THtmlDisplay::LoadFromStrings(const std::vector<std::string>& lines) {
    RefreshDelay = 0;
    std::vector<std::string> bytes;
    bytes.reserve(lines.size());
    for (const std::string& l : lines) bytes.push_back(platform::Utf8ToCp1252(l));
    LoadStringsAs(bytes);
    if (RefreshDelay > 0 && OnMetaRefresh) OnMetaRefresh(this, RefreshDelay, RefreshUrl);
}

void THtmlDisplay::LoadStringsAs(const std::vector<std::string>& lines) {
    if (busy_) return;
    BusyScope busy(*this);
    PrepareDocument();
    TParsedPage page;
    // Whatever the parser made of the lines is laid out, also when it
    // stopped at an unterminated comment, so the control stays usable.
    auto finish = [&] {
        FinishLoad(page);
        ScrollToY(0);
        HScrollBar->SetPosition(0);
        PaintPanel->update();
        CurrentFile.clear();
    };
    try {
        if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
        page = parser_->ParseStrings(*Document, NameList, lines, Callbacks(true));
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void THtmlDisplay::Clear() {
    if (busy_) return;
    PrepareDocument();
    Base.clear();
    BaseTarget.clear();
    DocumentTitle.clear();
    DocHeight = 0;
    DocWidth = 0;
    VScrollBar->SetScrollParams(0, VScrollBar->Page(), 0, 0);
    Document->SetScrollY(0);
    VScrollBar->hide();
    HScrollBar->hide();
    VScrollBar->resize(VScrollBar->width(), PaintPanel->height());
    if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
    PaintPanel->update();
}

// ---- Links

std::string THtmlDisplay::LinkToFileName(const std::string& link) const {
    return LinkFileName(link, serverRoot_, Base, CurrentFile);
}

void THtmlDisplay::FollowLink() {
    bool handled = false;
    if (OnHotSpotClick) OnHotSpotClick(this, HotSpotUrl, handled);
    if (handled) return;
    const TReadingPosition oldPos = ReadingPosition();
    const std::string url = HotSpotUrl;
    if (!url.empty() && url[0] == '#') {
        if (JumpToAnchor(url)) AddToHistory(CurrentFile, DocumentTitle, FileType, oldPos);
        return;
    }
    const size_t hash = url.find('#');
    const std::string fragment = hash == std::string::npos ? std::string() : url.substr(hash);
    const std::string file = LinkToFileName(url.substr(0, hash));
    const std::string ext = ExtensionOf(file);
    if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
        LoadImageFile(file);
    } else if (ext == ".HTM" || ext == ".HTML") {
        if (file != CurrentFile) LoadFromFile(file + fragment);
        else if (JumpToAnchor(fragment)) AddToHistory(CurrentFile, DocumentTitle, FileType, oldPos);
    }
}

bool THtmlDisplay::JumpToAnchor(const std::string& name) {
    std::string n = name;
    if (!n.empty() && n[0] == '#') n.erase(0, 1);
    if (n.empty()) return false;
    const int i = NameList.IndexOf(platform::AsciiUpper(n));
    if (i < 0) return false;
    // The parser files each anchor with the block that holds it.
    const auto* block = static_cast<const TSectionBase*>(NameList.Items[static_cast<size_t>(i)].Object);
    if (!block) return false;
    ScrollToY(block->TopY);
    HScrollBar->SetPosition(0);
    PaintPanel->update();
    return true;
}

// ---- History

void THtmlDisplay::AddToHistory(const std::string& oldFile, const std::string& oldTitle, int oldType,
                                const TReadingPosition& oldPosition) {
    if (historyMaxCount_ < 1 || CurrentFile.empty()) return;
    if (oldFile == CurrentFile && oldType == FileType && oldPosition == ReadingPosition()) return;
    if (!history_.empty() && !oldFile.empty()) {
        history_[0] = oldFile;
        positionHistory_[0]->Pos = oldPosition;
        positionHistory_[0]->FileType = oldType;
        titleHistory_[0] = oldTitle;
    }
    history_.insert(history_.begin(), CurrentFile);
    positionHistory_.Insert(0, new PositionObj{ReadingPosition(), FileType});
    titleHistory_.insert(titleHistory_.begin(), DocumentTitle);
    if (static_cast<int>(history_.size()) > historyMaxCount_) {
        history_.pop_back();
        positionHistory_.Delete(positionHistory_.Count() - 1);
        titleHistory_.pop_back();
    }
    if (OnHistoryChange) OnHistoryChange(this);
}

void THtmlDisplay::ClearHistory() {
    const bool had = !history_.empty();
    history_.clear();
    positionHistory_.Clear();
    titleHistory_.clear();
    if (had && OnHistoryChange) OnHistoryChange(this);
}

// ---- Reading position

TReadingPosition THtmlDisplay::ReadingPosition() const {
    int top = 0, index = 0;
    const int y = VScrollPos();
    if (!Document->BlockAtY(y, top, index)) return {};
    return {index, y - top};
}

void THtmlDisplay::SetReadingPosition(const TReadingPosition& p) {
    if (p.Block < 0 || p.Block >= Document->Count()) return;
    ScrollToY(Document->BlockTop(p.Block) + p.Offset);
}

void THtmlDisplay::SetPosition(std::int64_t position) {
    if (position < 0) return;
    SetReadingPosition({static_cast<int>(position >> 16), static_cast<int>(position & 0xFFFF)});
}

}  // namespace htmlview
