#pragma once
// TSectionList: the cell at the root of one document, and what belongs to
// the document as a whole: default fonts and colours, the background, the
// selection, the scroll offset, image fetching, forms and their controls,
// image maps and the animation timer. The viewer control creates one,
// clears it before each load, lets the parser fill it, lays it out and
// paints it.
#include "htmlview/layout/Cell.h"
#include "htmlview/layout/Fonts.h"
#include "htmlview/layout/FormControls.h"
#include "htmlview/images/Picture.h"
#include "htmlview/images/PictureBudget.h"
#include "htmlview/util/HtmlUtils.h"
#include "htmlview/util/MapItem.h"
#include "htmlview/util/StringList.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace htmlview {

// A picture asked of the host: the handler fills Stream with its bytes, or
// points it at NotReadyStream() when the picture comes later, or leaves it null.
struct TMemoryStream {
    std::string Data;
};
TMemoryStream* NotReadyStream();
using TGetImageEvent = std::function<void(QWidget* sender, const std::string& src, TMemoryStream*& stream)>;
using TObjectClickEvent = std::function<void(QWidget* sender, TFormControlObj* obj, const std::string& onClick)>;
using TSubmitHook = std::function<void(QWidget* viewer, const std::string& action, const std::string& target,
                                       const std::string& encType, const std::string& method,
                                       std::vector<std::string> results)>;

class TSectionList : public TCell, public TDocumentFonts {
public:
    TSectionList(QWidget* viewer, QWidget* panel);
    ~TSectionList() override;

    QWidget* Viewer;
    QWidget* Panel;  // parent window of the form controls
    bool ImagesOn = false;
    int ScrollY = 0;
    bool ScrollMoved = false;
    int SelStart = 0;
    int SelEnd = 0;
    // The document background is the cell's BackColor (HasBackColor stays false at the root).
    TGetImageEvent OnImageRequest;
    TObjectClickEvent OnObjectClick;
    std::function<void(TSectionList*)> BackChangeHook;
    std::shared_ptr<const TPicture> BackBitmap;
    std::string BackImageName;
    bool BackFetched = false;
    bool BackInCache = false;  // the fetch took a user of the background's cache entry
    TFreeList<ThtmlForm> Forms;
    std::vector<TAnimatedImage*> AnimatedGifs;  // not owned
    TSubmitHook SubmitHook;
    TTextSink* TextSink = nullptr;
    TFreeList<TMapItem> Maps;
    QTimer AnimTimer;
    std::vector<TFormControlObj*> Controls;  // not owned
    TStringList PendingImages;               // image name -> the object waiting for it
    std::function<void(TFormControlObj*)> ControlEnterHook;
    // The viewer's anchors (upper-cased NAME -> section), not owned; blocks
    // that go away leave it.
    TStringList* NameList = nullptr;
    // The viewer's script handler: SCRIPT content with its LANGUAGE, lines ended by CR LF.
    std::function<void(QWidget* sender, const std::string& language, std::string script)> OnScript;
    // How a block dropped during layout is reported; by default an error box.
    std::function<void(const std::string&)> ErrorReporter;
    // Pixels the pictures of this document hold; Clear starts it anew.
    TPictureBudget PictureBudget;
    // The viewer's link-to-file-name operation, for image names without an image request.
    std::function<std::string(const std::string&)> LinkToFileName;

    void Clear();
    int Arrange(TCanvas& canvas, int y, int width, int& charIndex, int& maxWidth) override;
    int Paint(TCanvas& canvas, const QRect& clipRect, int x, int y, int clipWidth) override;
    void SetScrollY(int y);
    void SetDefaults(const std::string& bodyFontName, const std::string& fixedFontName, int baseFontSize,
                     TColor textColor, TColor linkColor, TColor backColor);
    void SetBackColor(TColor colour);
    void SetBackImage(const std::string& name);
    std::shared_ptr<const TPicture> FetchBackImage();
    // A picture by name: from the shared image cache, else from the host's
    // image request or a file, then cached. Transparent is in/out (see
    // TImageTransp); Mask is the picture's mask or null. Pending is set when
    // the host will deliver it later. Every picture it gives counts one user
    // of its cache entry: give it back with ImageCache().ReleaseImage(ImageCacheKey(name)).
    // Every picture it gives is charged to PictureBudget, once a document
    // whatever number of images show it (an animation also charges, each
    // time, the frames and surface of the copy its image animates); one that does not
    // fit is refused from its header, before it is decoded. One that does
    // not fit, or memory running out, gives null and purges the cache's
    // unused entries (the image shows the broken picture). Never throws bad_alloc.
    std::shared_ptr<const TPicture> GetImage(const std::string& name, std::uint8_t& transparent, bool& pending,
                                             bool& fromCache, QImage& mask);
    // A picture the host delivers for a name it answered "not ready": it
    // enters the cache and every image waiting for the name fetches again.
    // False when nothing waits for it. The caller lays the document out again.
    bool InsertImage(const std::string& name, const std::string& bytes);
    // Sum of the flow heights of the blocks before block Index (never the last one's).
    int BlockTop(int index) const;
    void HideOffscreenControls();
    void AnimateGifs();

    // The background counts as white (for 3-D frames and bullets).
    bool BackgroundIsWhite() const;

    // Drops every reference the document keeps to Object (a block, image,
    // control or animation that goes away).
    void ForgetObject(const void* object);
    // Messages of blocks dropped during the current layout.
    void NoteLayoutError(const std::string& message) { layoutErrors_.push_back(message); }

private:
    // Decodes a picture not in the cache (the host's bytes or a file).
    std::shared_ptr<const TPicture> fetchPicture(const std::string& name, std::uint8_t& transparent, bool& pending,
                                                 QImage& mask);
    std::vector<std::string> layoutErrors_;
    int arrangeDepth_ = 0;
};

}  // namespace htmlview
