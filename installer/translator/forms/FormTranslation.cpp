#include "installer/translator/forms/FormTranslation.h"

#include <algorithm>

#include <QComboBox>
#include <QFont>
#include <QListWidget>
#include <QMetaProperty>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>

#include "installer/translator/forms/TranslateControls.h"
#include "platform/core/runtime/Text.h"

namespace installer {

namespace {

// The only properties that carry text a user reads.
constexpr const char* kTextProperties[] = {"text", "title", "windowTitle", "toolTip", "placeholderText"};

// Qt's own helper widgets inside a control (viewports, scroll-bar boxes,
// embedded line edits) are named "qt_..."; their texts are the control's business.
bool IsToolkitInternal(const QObject* o) { return o->objectName().startsWith(QLatin1String("qt_")); }

// Another form owned by this one is translated on its own.
bool IsOtherForm(const QObject* o) {
    const auto* w = qobject_cast<const QWidget*>(o);
    if (!w) return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Drawer;
}

class TextTranslation {
public:
    TextTranslation(const TTranslator& translator, TTmslLanguage source) : t_(translator), source_(source) {}

    // The translated text, or the text itself when blank or unknown.
    QString Text(const QString& value) const {
        if (platform::TrimControls(value.toStdString()).empty()) return value;
        return QString::fromStdString(t_.TranslateText(source_, value.toStdString()));
    }

    void Properties(QObject* c) const {
        const QMetaObject* meta = c->metaObject();
        for (const char* name : kTextProperties) {
            const int index = meta->indexOfProperty(name);
            if (index < 0) continue;
            QMetaProperty p = meta->property(index);
            if (p.metaType().id() != QMetaType::QString || !p.isReadable() || !p.isWritable()) continue;
            const QString value = p.read(c).toString();
            const QString translated = Text(value);
            if (translated != value) p.write(c, translated);
        }
    }

    void Items(QObject* c) const {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
            Memo(memo);
        } else if (auto* tree = qobject_cast<QTreeWidget*>(c)) {
            QTreeWidgetItem* header = tree->headerItem();
            for (int i = 0; header && i < header->columnCount(); ++i)
                SetIfChanged(header->text(i), [&](const QString& s) { header->setText(i, s); });
        } else if (auto* table = qobject_cast<QTableWidget*>(c)) {
            for (int i = 0; i < table->columnCount(); ++i)
                if (QTableWidgetItem* item = table->horizontalHeaderItem(i))
                    SetIfChanged(item->text(), [&](const QString& s) { item->setText(s); });
        } else if (auto* list = qobject_cast<QListWidget*>(c)) {
            for (int i = 0; i < list->count(); ++i) {
                QListWidgetItem* item = list->item(i);
                SetIfChanged(item->text(), [&](const QString& s) { item->setText(s); });
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
            for (int i = 0; i < combo->count(); ++i)
                SetIfChanged(combo->itemText(i), [&](const QString& s) { combo->setItemText(i, s); });
        }
    }

private:
    template <typename Setter>
    void SetIfChanged(const QString& value, Setter set) const {
        const QString translated = Text(value);
        if (translated != value) set(translated);
    }

    void Memo(QPlainTextEdit* memo) const {
        const QString text = memo->toPlainText();
        std::vector<std::string> lines;
        if (!text.isEmpty()) {
            QStringList parts = text.split(QLatin1Char('\n'));
            if (text.endsWith(QLatin1Char('\n'))) parts.removeLast();
            for (const QString& part : parts) lines.push_back(part.toStdString());
        }
        const std::vector<std::string> translated = t_.TranslateStrings(source_, lines);
        if (translated == lines) return;
        QStringList out;
        for (const auto& line : translated) out << QString::fromStdString(line);
        memo->setPlainText(out.join(QLatin1Char('\n')));
    }

    const TTranslator& t_;
    TTmslLanguage source_;
};

// Translates c by its number; true when the number keeps it out of
// translation by wording.
bool TranslateByNumber(const TTranslator& translator, QObject* c) {
    int glid = 0;
    QAbstractButton* button = nullptr;
    QLabel* label = nullptr;
    if (auto* l = qobject_cast<TTranslateLabel*>(c)) {
        glid = l->GLID();
        label = l;
    } else if (auto* b = qobject_cast<TTranslateBitBtn*>(c)) {
        glid = b->GLID();
        button = b;
    } else {
        return false;
    }
    if (glid > 0) {
        const QString caption = label ? label->text() : button->text();
        const QString translated = QString::fromStdString(translator.TranslateGLID(glid, caption.toStdString()));
        if (translated != caption) label ? label->setText(translated) : button->setText(translated);
    }
    return glid != 0;
}

void TranslateTree(const TTranslator& translator, const TextTranslation& texts, QObject* c) {
    if (!TranslateByNumber(translator, c)) {
        texts.Properties(c);
        texts.Items(c);
    }
    for (QObject* child : c->children()) {
        if (IsOtherForm(child) || IsToolkitInternal(child)) continue;
        TranslateTree(translator, texts, child);
    }
}

// No repaint while texts change, so a form never shows half its texts translated.
class UpdatesHeld {
public:
    explicit UpdatesHeld(QObject* c) : widget_(qobject_cast<QWidget*>(c)) {
        if (widget_) {
            was_ = widget_->updatesEnabled();
            widget_->setUpdatesEnabled(false);
        }
    }
    ~UpdatesHeld() {
        if (widget_) widget_->setUpdatesEnabled(was_);
    }
    UpdatesHeld(const UpdatesHeld&) = delete;
    UpdatesHeld& operator=(const UpdatesHeld&) = delete;

private:
    QWidget* widget_;
    bool was_ = true;
};

int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

QFont ToQFont(const TLanguageFont& f) {
    QFont font(QString::fromStdString(f.Name));
    if (f.Height != 0) font.setPointSize(std::max(1, MulDiv(f.Height < 0 ? -f.Height : f.Height, 72, 96)));
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    return font;
}

// The point size of a font that may be sized in pixels (96 dpi).
double PointSizeOf(const QFont& font) {
    if (font.pointSizeF() > 0) return font.pointSizeF();
    if (font.pixelSize() > 0) return font.pixelSize() * 72.0 / 96.0;
    return 0;
}

void ApplyFontTo(const TLanguage& language, QWidget* w) {
    if (language.FontOverride) {
        w->setFont(ToQFont(language.Font));
        SetFontCharset(*w, language.Font.Charset);
        // System colours (high byte set) stay with the style.
        if ((language.Font.Color & 0xFF000000u) == 0) {
            const std::uint32_t c = language.Font.Color;
            const QColor color(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            QPalette palette = w->palette();
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, color);
            w->setPalette(palette);
        }
    } else {
        const int charset = CharsetOfLanguage(language.LanguageIdent);
        const TLanguageFace face = FaceOfLanguage(language.LanguageIdent);
        QFont font = w->font();
        font.setFamily(QString::fromStdString(face.Face));
        if (PointSizeOf(font) < face.MinSize) font.setPointSize(face.MinSize);
        w->setFont(font);
        SetFontCharset(*w, charset);
    }
    for (QObject* child : w->children()) {
        auto* cw = qobject_cast<QWidget*>(child);
        if (!cw || cw->isWindow() || IsToolkitInternal(cw)) continue;
        ApplyFontTo(language, cw);
    }
}

}  // namespace

TTmslLanguage TranslateComponent(TTranslator& translator, TTmslLanguage source, QObject* c) {
    if (!c) return source;
    {
        UpdatesHeld held(c);
        TranslateTree(translator, TextTranslation(translator, source), c);
    }
    const TLanguage* target = translator.TargetLanguage();
    return target && target->Strings().Count() > 0 ? translator.TranslateIntoLanguage() : source;
}

TTmslLanguage TranslateComponentInto(TTranslator& translator, TTmslLanguage source, TTmslLanguage target,
                                     QObject* c) {
    TTranslator::TargetScope scope(translator, target);
    return TranslateComponent(translator, source, c);
}

void ApplyLanguageFont(TTranslator& translator, QWidget* control, bool noEnglishFallback) {
    if (!control) return;
    const TLanguage* language = translator.TargetLanguage();
    if (!language) return;
    if (language->Strings().Count() == 0 && !noEnglishFallback) language = &translator.lgEnglish();
    ApplyFontTo(*language, control);
}

void ApplyLanguageFontFor(TTranslator& translator, TTmslLanguage target, QWidget* control, bool noEnglishFallback) {
    TTranslator::TargetScope scope(translator, target);
    ApplyLanguageFont(translator, control, noEnglishFallback);
}

TTmslLanguage TranslateForm(TTmslLanguage source, QWidget* form) {
    TTranslator* t = GlobalTranslator();
    return t ? TranslateComponent(*t, source, form) : source;
}

TTmslLanguage TranslateFormInto(TTmslLanguage source, TTmslLanguage target, QWidget* form) {
    TTranslator* t = GlobalTranslator();
    return t ? TranslateComponentInto(*t, source, target, form) : source;
}

void SetFormLanguageFont(QWidget* form, bool noEnglishFallback) {
    if (TTranslator* t = GlobalTranslator()) ApplyLanguageFont(*t, form, noEnglishFallback);
}

void SetFormLanguageFontFor(TTmslLanguage target, QWidget* form, bool noEnglishFallback) {
    if (TTranslator* t = GlobalTranslator()) ApplyLanguageFontFor(*t, target, form, noEnglishFallback);
}

void SetFontCharset(QWidget& widget, int charset) { widget.setProperty("fontCharset", charset); }

int FontCharset(const QWidget& widget) {
    const QVariant v = widget.property("fontCharset");
    return v.isValid() ? v.toInt() : 0;
}

}  // namespace installer
