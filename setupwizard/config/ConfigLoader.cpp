#include "setupwizard/config/ConfigLoader.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "installer/bde/InstallBDE.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/files/PsFileContainer.h"
#include "installer/links/InstallShellLink.h"
#include "installer/links/ObjectLinkSpecifier.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/netlocation/NetInstallLocation.h"
#include "installer/translator/Translator.h"
#include "installer/uninstallentry/UninstallExe.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "setupwizard/backdrop/Backdrop.h"
#include "setupwizard/backdrop/Rotate3DLabel.h"
#include "setupwizard/config/SetupForm.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"

namespace setupwizard {

using installer::TComponent;
using installer::TComponentOwner;

namespace {

// ------------------------------------------------------------ loading state

// A value that does not fit its property; the loader adds where it was read.
struct BadValue {
    std::string why;
};

struct Reference {
    TComponent* component;
    std::string property;
    std::string target;
    std::function<void(TComponent*)> apply;  // empty: the component's SetReference
    int line;
};

struct Loading {
    TSetupForm& form;
    const ResourceSource& resources;
    std::vector<Reference> references;

    QByteArray Resource(const ConfigValue& v) const {
        if (v.kind != ConfigValue::Resource) throw BadValue{"a resource (@name) expected"};
        std::optional<QByteArray> bytes = resources ? resources(v.text) : std::nullopt;
        if (!bytes) throw BadValue{"no resource " + v.text};
        return *bytes;
    }
};

std::string AsString(const ConfigValue& v) {
    if (v.kind != ConfigValue::String) throw BadValue{"a string expected"};
    return v.text;
}
int AsInt(const ConfigValue& v) {
    if (v.kind != ConfigValue::Integer || v.number < INT32_MIN || v.number > INT32_MAX)
        throw BadValue{"an integer expected"};
    return static_cast<int>(v.number);
}
bool AsBool(const ConfigValue& v) {
    if (v.kind == ConfigValue::Identifier) {
        if (platform::SameNameIgnoringCase(v.text, "True")) return true;
        if (platform::SameNameIgnoringCase(v.text, "False")) return false;
    }
    throw BadValue{"True or False expected"};
}
std::string AsIdent(const ConfigValue& v) {
    if (v.kind != ConfigValue::Identifier) throw BadValue{"a name expected"};
    return v.text;
}
std::vector<std::string> AsLines(const ConfigValue& v, const Loading& loading) {
    if (v.kind == ConfigValue::List) return v.items;
    // A text resource, one line per line (CR LF, LF or CR).
    const QString text = QString::fromUtf8(loading.Resource(v));
    std::vector<std::string> lines;
    for (const QString& line : text.split(QRegularExpression("\r\n|\n|\r"))) lines.push_back(line.toStdString());
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}
QImage AsImage(const ConfigValue& v, const Loading& loading) {
    QImage image;
    if (!image.loadFromData(loading.Resource(v))) throw BadValue{"resource " + v.text + " is no picture"};
    return image;
}

template <typename E>
using EnumNames = std::vector<std::pair<const char*, E>>;

template <typename E>
E AsEnum(const std::string& name, const EnumNames<E>& names) {
    for (const auto& [n, e] : names)
        if (platform::SameNameIgnoringCase(n, name)) return e;
    throw BadValue{"unknown value " + name};
}

// ------------------------------------------------------------ class tables

using Setter = std::function<void(TComponent&, const ConfigValue&, Loading&)>;

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return platform::LessIgnoringCase(a, b); }
};

struct ClassInfo {
    std::function<TComponent&(TComponentOwner&)> create;
    std::map<std::string, Setter, CaseLess> properties;
};

using ClassTable = std::map<std::string, ClassInfo, CaseLess>;

template <typename T>
class Props {
public:
    explicit Props(ClassInfo& info) : info_(info) {}

    Props& Set(const char* name, std::function<void(T&, const ConfigValue&, Loading&)> apply) {
        info_.properties[name] = [apply](TComponent& c, const ConfigValue& v, Loading& l) {
            apply(dynamic_cast<T&>(c), v, l);
        };
        return *this;
    }
    Props& Str(const char* name, std::function<void(T&, const std::string&)> f) {
        return Set(name, [f](T& c, const ConfigValue& v, Loading&) { f(c, AsString(v)); });
    }
    Props& Int(const char* name, std::function<void(T&, int)> f) {
        return Set(name, [f](T& c, const ConfigValue& v, Loading&) { f(c, AsInt(v)); });
    }
    Props& Bool(const char* name, std::function<void(T&, bool)> f) {
        return Set(name, [f](T& c, const ConfigValue& v, Loading&) { f(c, AsBool(v)); });
    }
    Props& Lines(const char* name, std::function<void(T&, const std::vector<std::string>&)> f) {
        return Set(name, [f](T& c, const ConfigValue& v, Loading& l) { f(c, AsLines(v, l)); });
    }
    template <typename E>
    Props& Enum(const char* name, EnumNames<E> names, std::function<void(T&, E)> f) {
        return Set(name, [f, names](T& c, const ConfigValue& v, Loading&) { f(c, AsEnum(AsIdent(v), names)); });
    }
    // A reference set through the component's SetReference once all exist.
    Props& Ref(const char* name) {
        return Set(name, [name = std::string(name)](T& c, const ConfigValue& v, Loading& l) {
            l.references.push_back({&c, name, AsIdent(v), {}, 0});
        });
    }

private:
    ClassInfo& info_;
};

template <typename T>
Props<T> Register(ClassTable& table) {
    ClassInfo& info = table[T::StaticClassName];
    info.create = [](TComponentOwner& owner) -> TComponent& { return owner.Create<T>(); };
    return Props<T>(info);
}

const EnumNames<installer::TInstallType> kInstallTypes = {
    {"itFull", installer::itFull}, {"itDefault", installer::itDefault},
    {"itCompact", installer::itCompact}, {"itCustom", installer::itCustom}};

installer::TInstallTypes AsInstallTypes(const ConfigValue& v) {
    if (v.kind != ConfigValue::Set) throw BadValue{"a set expected"};
    installer::TInstallTypes types;
    for (const std::string& item : v.items) types.Include(AsEnum(item, kInstallTypes));
    return types;
}

// What every install component stores.
template <typename T>
void ContainerProps(Props<T> p) {
    p.Int("Tag", [](T& c, int v) { c.Tag = v; })
        .Int("Order", [](T& c, int v) { c.Order = v; })
        .Str("DestDir", [](T& c, const std::string& v) { c.SetDestDir(v); })
        .Ref("DestDirType")
        .Ref("Container")
        .Bool("Uninstall", [](T& c, bool v) { c.Uninstall = v; });
    if constexpr (std::is_base_of_v<installer::TFileRelated, T>) {
        p.Set("InstallTypes", [](T& c, const ConfigValue& v, Loading&) { c.SetInstallTypes(AsInstallTypes(v)); })
            .Ref("ArchiveFileType")
            .Ref("NetLocation")
            .Bool("Net", [](T& c, bool v) { c.SetNet(v); });
    } else {
        p.Set("InstallTypes", [](T& c, const ConfigValue& v, Loading&) { c.InstallTypes = AsInstallTypes(v); });
    }
}

template <typename T>
void FileContainerProps(Props<T> p) {
    ContainerProps(p);
    p.Str("Description", [](T& c, const std::string& v) { c.Description = v; });
}

template <typename T>
void FileProps(Props<T> p) {
    ContainerProps(p);
    static const EnumNames<installer::TOverwriteType> overwrite = {
        {"owAlways", installer::TOverwriteType::owAlways}, {"owNever", installer::TOverwriteType::owNever},
        {"owVersion", installer::TOverwriteType::owVersion}, {"owDate", installer::TOverwriteType::owDate},
        {"owVersionDate", installer::TOverwriteType::owVersionDate}};
    static const EnumNames<installer::TInstallFileType> fileTypes = {
        {"iftNormal", installer::iftNormal}, {"iftJustADLL", installer::iftJustADLL},
        {"iftApplicationSpecificDLL", installer::iftApplicationSpecificDLL},
        {"iftVendorSharedDLL", installer::iftVendorSharedDLL}};
    p.Str("FileName", [](T& f, const std::string& v) { f.SetFileName(v); })
        .Str("DestName", [](T& f, const std::string& v) { f.SetDestName(v); })
        .Str("IncludeFromDir", [](T& f, const std::string& v) { f.SetIncludeFromDir(v); })
        .Int("UniqueID", [](T& f, int v) { f.SetUniqueID(v); })
        .template Enum<installer::TOverwriteType>("OverwriteMode", overwrite,
                                                  [](T& f, installer::TOverwriteType v) { f.OverwriteMode = v; })
        .template Enum<installer::TInstallFileType>("FileType", fileTypes,
                                                    [](T& f, installer::TInstallFileType v) { f.SetFileType(v); })
        .Bool("UpdateDLLCounter", [](T& f, bool v) { f.UpdateDLLCounter = v; })
        .Bool("RegisterAsHelp", [](T& f, bool v) { f.RegisterAsHelp = v; })
        .Bool("RunAfterInstall", [](T& f, bool v) { f.RunAfterInstall = v; });
}

template <typename T>
void DialogProps(Props<T> p) {
    ContainerProps(p);
    p.Ref("DialogManager")
        .Bool("OverrideMainTranslator", [](T& d, bool v) { d.OverrideMainTranslator = v; })
        .Int("RelativeLeftOffset", [](T& d, int v) { d.RelativeLeftOffset = v; })
        .Int("RelativeTopOffset", [](T& d, int v) { d.RelativeTopOffset = v; });
}

template <typename T>
void StandardSpecifier(ClassTable& table) {
    Register<T>(table).Int("Tag", [](T& c, int v) { c.Tag = v; });
}

const ClassTable& Classes() {
    static const ClassTable table = [] {
        ClassTable t;
        using namespace installer;
        StandardSpecifier<TpsBDEDLL>(t);
        StandardSpecifier<TpsCommonFiles>(t);
        StandardSpecifier<TpsContainerArchiveFile>(t);
        StandardSpecifier<TpsContainerDestDir>(t);
        StandardSpecifier<TpsDesktopMenu>(t);
        StandardSpecifier<TpsInstallSource>(t);
        StandardSpecifier<TpsMainInstall>(t);
        StandardSpecifier<TpsMainArchiveFile>(t);
        StandardSpecifier<TpsProgramFiles>(t);
        StandardSpecifier<TpsProgramMenu>(t);
        StandardSpecifier<TpsStartMenu>(t);
        StandardSpecifier<TpsStartupMenu>(t);
        StandardSpecifier<TpsSystem>(t);
        StandardSpecifier<TpsWindow>(t);
        StandardSpecifier<TpsObjectLink>(t);
        {
            ClassInfo& info = t[TpsFileContainer::StaticClassName];
            info.create = [](TComponentOwner& owner) -> TComponent& { return owner.Create<TpsFileContainer>(nullptr); };
            Props<TpsFileContainer>(info).Set("FileContainer", [](TpsFileContainer& ps, const ConfigValue& v,
                                                                   Loading& l) {
                TpsFileContainer* target = &ps;
                l.references.push_back({&ps, "FileContainer", AsIdent(v),
                                        [target](TComponent* c) {
                                            auto* container = dynamic_cast<TFileContainer*>(c);
                                            if (c && !container) throw BadValue{c->Name() + " is no file container"};
                                            target->SetFileContainer(container);
                                        },
                                        0});
            });
        }

        auto install = Register<TInstall>(t);
        ContainerProps(install);
        install.Str("Information.CompanyName", [](TInstall& i, const std::string& v) { i.Information.CompanyName = v; })
            .Str("Information.ProductName", [](TInstall& i, const std::string& v) { i.Information.ProductName = v; })
            .Str("Information.Version", [](TInstall& i, const std::string& v) { i.Information.Version = v; })
            .Set("DialogThemeBitmap",
                 [](TInstall& i, const ConfigValue& v, Loading& l) { i.SetDialogThemeBitmap(AsImage(v, l)); })
            .Lines("PresetupFiles", [](TInstall& i, const std::vector<std::string>& v) { i.SetPresetupFiles(v); })
            .Bool("HideMainForm", [](TInstall& i, bool v) { i.SetHideMainForm(v); })
            .Bool("Reboot", [](TInstall& i, bool v) { i.SetReboot(v); })
            .Bool("UseLoadingProgram", [](TInstall& i, bool v) { i.SetUseLoadingProgram(v); })
            .Bool("AutoMaximizeWindow", [](TInstall& i, bool v) { i.SetAutoMaximizeWindow(v); })
            .Set("BuildInfo.BuildDirectory",
                 [](TInstall&, const ConfigValue& v, Loading& l) { l.form.BuildInfo.BuildDirectory = AsString(v); })
            .Set("BuildInfo.OCXName",
                 [](TInstall&, const ConfigValue& v, Loading& l) { l.form.BuildInfo.OCXName = AsString(v); })
            .Set("BuildInfo.SignCode",
                 [](TInstall&, const ConfigValue& v, Loading& l) { l.form.BuildInfo.SignCode = AsBool(v); })
            .Set("BuildInfo.AddUninstallOnCreate",
                 [](TInstall&, const ConfigValue& v, Loading& l) { l.form.BuildInfo.AddUninstallOnCreate = AsBool(v); });

        install.Enum<TDistributeType>(
            "DistributeType", {{"dtTraditional", dtTraditional}, {"dtWeb", dtWeb}, {"dtTraditionalNet", dtTraditionalNet}},
            [](TInstall& i, TDistributeType v) { i.SetDistributeType(v); });

        Register<TNetInstallLocation>(t)
            .Int("Tag", [](TNetInstallLocation& n, int v) { n.Tag = v; })
            .Int("Port", [](TNetInstallLocation& n, int v) { n.Port = v; })
            .Bool("LoginInformation.Anonymous",
                  [](TNetInstallLocation& n, bool v) { n.LoginInformation().Anonymous = v; })
            .Str("LoginInformation.Directory",
                 [](TNetInstallLocation& n, const std::string& v) { n.LoginInformation().Directory = v; })
            .Str("LoginInformation.Hostname",
                 [](TNetInstallLocation& n, const std::string& v) { n.LoginInformation().Hostname = v; })
            .Str("LoginInformation.Password",
                 [](TNetInstallLocation& n, const std::string& v) { n.LoginInformation().Password = v; })
            .Str("LoginInformation.Username",
                 [](TNetInstallLocation& n, const std::string& v) { n.LoginInformation().Username = v; })
            .Enum<TInternetProtocol>("LoginInformation.Protocol", {{"ipFTP", ipFTP}, {"ipHTTP", ipHTTP}},
                                     [](TNetInstallLocation& n, TInternetProtocol v) { n.LoginInformation().Protocol = v; });

        FileContainerProps(Register<TInstallGroup>(t));
        FileContainerProps(Register<TInstallDirectory>(t));
        FileProps(Register<TInstallFile>(t));
        FileProps(Register<TUninstallEXE>(t));

        auto bde = Register<TInstallBDE>(t);
        FileContainerProps(bde);
        bde.Str("LanguageDLL", [](TInstallBDE& b, const std::string& v) { b.LanguageDLL = v; })
            .Bool("SaveFor16Bit", [](TInstallBDE& b, bool v) { b.SaveFor16Bit = v; });
        for (const char* option : {"bdAccess", "bdAscii", "bdDBase", "bdFull", "bdODBC", "bdParadox", "bdSQLEngine",
                                   "bdQBEEngine", "slDB2", "slInformix", "slIntrBase", "slMSSQLServer", "slOracle",
                                   "slSybaseCT", "slSybaseDB"}) {
            const TBDEOption o = *BDEOptionByName(option);
            bde.Bool(option, [o](TInstallBDE& b, bool v) { b.SetOption(o, v); });
        }

        auto group = Register<TMainLinkGroup>(t);
        ContainerProps(group);
        auto link = Register<TInstallMainLink>(t);
        ContainerProps(link);
        link.Str("LinkName", [](TInstallMainLink& l, const std::string& v) { l.SetLinkName(v); })
            .Int("HotKey", [](TInstallMainLink& l, int v) { l.HotKey = static_cast<std::uint16_t>(v); })
            .Ref("ObjectLink")
            .Ref("ObjectLocationType");

        auto manager = Register<TDialogManager>(t);
        ContainerProps(manager);
        static const EnumNames<TManagerType> managerTypes = {
            {"dmBeforeInstall", dmBeforeInstall},     {"dmAfterGoodInstall", dmAfterGoodInstall},
            {"dmAfterBadInstall", dmAfterBadInstall}, {"dmDuringCopyFiles", dmDuringCopyFiles},
            {"dmChangeDisk", dmChangeDisk},           {"dmReboot", dmReboot}};
        manager.Enum<TManagerType>("ManagerType", managerTypes, [](TDialogManager& m, TManagerType v) { m.ManagerType = v; });

        DialogProps(Register<TWelcomeDlg>(t));
        DialogProps(Register<TLicenseDlg>(t).Lines(
            "LicenseAgreement", [](TLicenseDlg& d, const std::vector<std::string>& v) { d.SetLicenseAgreement(v); }));
        DialogProps(Register<TReadmeDlg>(t).Lines(
            "ReadmeText", [](TReadmeDlg& d, const std::vector<std::string>& v) { d.SetReadmeText(v); }));
        DialogProps(Register<TCopyFileDlg>(t));
        DialogProps(Register<TInstallStatusDlg>(t));
        DialogProps(Register<TGoodInstallationDlg>(t));
        DialogProps(Register<TBadInstallationDlg>(t));
        DialogProps(Register<TRebootDlg>(t));
        return t;
    }();
    return table;
}

// ------------------------------------------------------------ the form's own objects

[[noreturn]] void Unknown() { throw BadValue{"the property does not exist"}; }

[[noreturn]] void Bad(const std::string& component, const ConfigProperty& p, const std::string& why) {
    throw platform::Exception(
        platform::Format("Error reading %s.%s (line %d): %s", {component, p.name, p.line, why}));
}

// Font.Name, Font.Height (negative: pixels) and Font.Style of a widget.
bool ApplyFont(QWidget& w, const ConfigProperty& p) {
    QFont f = w.font();
    if (platform::SameNameIgnoringCase(p.name, "Font.Name")) {
        f.setFamily(QString::fromStdString(AsString(p.value)));
    } else if (platform::SameNameIgnoringCase(p.name, "Font.Height")) {
        const int h = AsInt(p.value);
        if (h == 0) throw BadValue{"a font height may not be 0"};
        if (h < 0)
            f.setPixelSize(-h);
        else
            f.setPixelSize(h);
    } else if (platform::SameNameIgnoringCase(p.name, "Font.Style")) {
        if (p.value.kind != ConfigValue::Set) throw BadValue{"a set expected"};
        f.setBold(false);
        f.setItalic(false);
        f.setUnderline(false);
        for (const std::string& s : p.value.items) {
            if (platform::SameNameIgnoringCase(s, "fsBold")) f.setBold(true);
            else if (platform::SameNameIgnoringCase(s, "fsItalic")) f.setItalic(true);
            else if (platform::SameNameIgnoringCase(s, "fsUnderline")) f.setUnderline(true);
            else throw BadValue{"unknown value " + s};
        }
    } else {
        return false;
    }
    w.setFont(f);
    return true;
}

bool ApplyGeometry(QWidget& w, const ConfigProperty& p) {
    if (platform::SameNameIgnoringCase(p.name, "Width")) w.resize(AsInt(p.value), w.height());
    else if (platform::SameNameIgnoringCase(p.name, "Height")) w.resize(w.width(), AsInt(p.value));
    else if (platform::SameNameIgnoringCase(p.name, "Left")) w.move(AsInt(p.value), w.y());
    else if (platform::SameNameIgnoringCase(p.name, "Top")) w.move(w.x(), AsInt(p.value));
    else return false;
    return true;
}

QColor AsColour(const ConfigValue& v) {
    static const EnumNames<Qt::GlobalColor> colours = {
        {"clBlack", Qt::black}, {"clBlue", Qt::blue},   {"clNavy", Qt::darkBlue}, {"clRed", Qt::red},
        {"clWhite", Qt::white}, {"clGray", Qt::gray},   {"clSilver", Qt::lightGray}, {"clGreen", Qt::darkGreen},
        {"clLime", Qt::green},  {"clTeal", Qt::darkCyan}, {"clAqua", Qt::cyan},   {"clYellow", Qt::yellow}};
    if (v.kind == ConfigValue::Integer) {
        // A stored colour value: red in the low byte.
        const auto c = static_cast<std::uint32_t>(v.number);
        return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    return QColor(AsEnum(AsIdent(v), colours));
}

void ApplyBackdrop(TBackdrop& b, const ConfigProperty& p) {
    static const EnumNames<TDirection> directions = {
        {"bdUp", bdUp},         {"bdDown", bdDown},       {"bdLeft", bdLeft},     {"bdRight", bdRight},
        {"bdHorzIn", bdHorzIn}, {"bdHorzOut", bdHorzOut}, {"bdVertIn", bdVertIn}, {"bdVertOut", bdVertOut}};
    if (ApplyGeometry(b, p)) return;
    if (platform::SameNameIgnoringCase(p.name, "Tag")) b.SetTag(AsInt(p.value));
    else if (platform::SameNameIgnoringCase(p.name, "Direction")) b.SetDirection(AsEnum(AsIdent(p.value), directions));
    else if (platform::SameNameIgnoringCase(p.name, "StartColor")) b.SetStartColor(AsColour(p.value));
    else if (platform::SameNameIgnoringCase(p.name, "EndColor")) b.SetEndColor(AsColour(p.value));
    else if (platform::SameNameIgnoringCase(p.name, "Align")) {
        const std::string a = AsIdent(p.value);
        if (!platform::SameNameIgnoringCase(a, "alClient") && !platform::SameNameIgnoringCase(a, "alNone"))
            throw BadValue{"unknown value " + a};
        b.SetAlignClient(platform::SameNameIgnoringCase(a, "alClient"));
    } else {
        Unknown();
    }
}

void ApplyLabel(TRotate3DLabel& l, const ConfigProperty& p) {
    static const EnumNames<T3DEffectShort> effects = {
        {"A3dNormal", A3dNormal}, {"A3dResit", A3dResit}, {"A3dRaised", A3dRaised}, {"A3dShadowed", A3dShadowed}};
    static const EnumNames<Qt::Alignment> alignments = {
        {"taLeftJustify", Qt::AlignLeft}, {"taRightJustify", Qt::AlignRight}, {"taCenter", Qt::AlignHCenter}};
    TLabelStyle& s = l.LabelStyle();
    const auto is = [&](const char* n) { return platform::SameNameIgnoringCase(p.name, n); };
    if (ApplyGeometry(l, p) || ApplyFont(l, p)) return;
    if (is("Tag")) l.SetTag(AsInt(p.value));
    else if (is("Caption")) l.SetCaption(QString::fromStdString(AsString(p.value)));
    else if (is("Alignment")) l.SetAlignment(AsEnum(AsIdent(p.value), alignments));
    else if (is("Color")) l.SetColor(AsColour(p.value));
    else if (is("MyTransparent")) l.SetMyTransparent(AsBool(p.value));
    else if (is("Font.Color")) {
        QPalette palette = l.palette();
        palette.setColor(QPalette::WindowText, AsColour(p.value));
        l.setPalette(palette);
    } else if (is("Align")) {
        const std::string a = AsIdent(p.value);
        if (!platform::SameNameIgnoringCase(a, "alTop") && !platform::SameNameIgnoringCase(a, "alNone"))
            throw BadValue{"unknown value " + a};
        l.SetAlignTop(platform::SameNameIgnoringCase(a, "alTop"));
    } else if (is("LabelStyle.Angle")) s.SetAngle(AsInt(p.value));
    else if (is("LabelStyle.AStyle3D")) s.SetAStyle3D(AsEnum(AsIdent(p.value), effects));
    else if (is("LabelStyle.AShadeLeftTop")) s.SetAShadeLeftTop(AsColour(p.value));
    else if (is("LabelStyle.AShadeRightBottom")) s.SetAShadeRightBottom(AsColour(p.value));
    else if (is("LabelStyle.AShadeLTSet")) s.SetAShadeLTSet(AsBool(p.value));
    else if (is("LabelStyle.AHShadeOffSet")) s.SetAHShadeOffSet(AsInt(p.value));
    else if (is("LabelStyle.AVShadeOffSet")) s.SetAVShadeOffSet(AsInt(p.value));
    else Unknown();
}

// "lgEnglish.Strings" and the like.
void ApplyTranslator(installer::TTranslator& t, const ConfigProperty& p, Loading& l) {
    const auto dot = p.name.find('.');
    if (dot != std::string::npos && platform::SameNameIgnoringCase(p.name.substr(dot), ".Strings")) {
        using installer::TTranslator;
        static const std::pair<const char*, installer::TLanguage& (TTranslator::*)()> languages[] = {
            {"lgChineseSimplified", &TTranslator::lgChineseSimplified},
            {"lgChineseTraditional", &TTranslator::lgChineseTraditional},
            {"lgCzech", &TTranslator::lgCzech},
            {"lgDanish", &TTranslator::lgDanish},
            {"lgDutch", &TTranslator::lgDutch},
            {"lgEnglish", &TTranslator::lgEnglish},
            {"lgFrench", &TTranslator::lgFrench},
            {"lgGerman", &TTranslator::lgGerman},
            {"lgGreek", &TTranslator::lgGreek},
            {"lgHebrew", &TTranslator::lgHebrew},
            {"lgItalian", &TTranslator::lgItalian},
            {"lgJapanese", &TTranslator::lgJapanese},
            {"lgKorean", &TTranslator::lgKorean},
            {"lgNorwegianBokmal", &TTranslator::lgNorwegianBokmal},
            {"lgNorwegianNynorsk", &TTranslator::lgNorwegianNynorsk},
            {"lgPolish", &TTranslator::lgPolish},
            {"lgPortugese", &TTranslator::lgPortugese},
            {"lgRussian", &TTranslator::lgRussian},
            {"lgSpanish", &TTranslator::lgSpanish},
            {"lgVietnamese", &TTranslator::lgVietnamese}};
        for (const auto& [ident, language] : languages)
            if (platform::SameNameIgnoringCase(ident, p.name.substr(0, dot))) {
                installer::TLanguage& lang = (t.*language)();
                lang.Strings().Clear();
                lang.Strings().AddStrings(AsLines(p.value, l));
                return;
            }
    }
    Unknown();
}

// Runs apply; a failure is reported with where it was read.
template <typename F>
void Reading(const std::string& component, const ConfigProperty& p, F&& apply) {
    try {
        apply();
    } catch (const BadValue& e) {
        Bad(component, p, e.why);
    } catch (const platform::Exception& e) {
        Bad(component, p, e.what());
    }
}

void LoadVisual(TSetupForm& form, QWidget& parent, const ConfigObject& o) {
    const auto is = [&](const char* c) { return platform::SameNameIgnoringCase(o.className, c); };
    if (is("TBackdrop")) {
        auto* b = new TBackdrop(&parent);
        b->setObjectName(QString::fromStdString(o.name));
        if (!form.BackDrop) form.BackDrop = b;
        for (const ConfigProperty& p : o.properties) Reading(o.name, p, [&] { ApplyBackdrop(*b, p); });
        b->SetAlignClient(b->AlignClient());  // the alignment wins over a stored size
        for (const ConfigObject& child : o.children) LoadVisual(form, *b, child);
    } else if (is("TRotate3DLabel")) {
        auto* label = new TRotate3DLabel(&parent);
        label->setObjectName(QString::fromStdString(o.name));
        if (!form.ProductLabel) form.ProductLabel = label;
        for (const ConfigProperty& p : o.properties) Reading(o.name, p, [&] { ApplyLabel(*label, p); });
        label->SetAlignTop(label->AlignTop());
        if (!o.children.empty()) throw platform::Exception(platform::Format("%s (line %d) cannot hold other objects", {o.name, o.line}));
    } else {
        throw platform::Exception(
            platform::Format("Class %s not found (component %s, line %d)", {o.className, o.name, o.line}));
    }
}

bool IsVisualClass(const std::string& className) {
    return platform::SameNameIgnoringCase(className, "TBackdrop") ||
           platform::SameNameIgnoringCase(className, "TRotate3DLabel");
}

void ApplyFormProperty(TSetupForm& form, const ConfigProperty& p, Loading& l) {
    const auto is = [&](const char* n) { return platform::SameNameIgnoringCase(p.name, n); };
    if (ApplyFont(form, p)) return;
    if (is("Caption")) form.setWindowTitle(QString::fromStdString(AsString(p.value)));
    else if (is("ClientWidth")) form.resize(AsInt(p.value), form.height());
    else if (is("ClientHeight")) form.resize(form.width(), AsInt(p.value));
    else if (is("Icon")) {
        QPixmap icon;
        if (!icon.loadFromData(l.Resource(p.value))) throw BadValue{"resource " + p.value.text + " is no picture"};
        form.setWindowIcon(QIcon(icon));
    } else Unknown();
}

}  // namespace

// ------------------------------------------------------------ loading

ResourceSource CompiledResources() {
    return [](const std::string& name) -> std::optional<QByteArray> {
        QFile file(":/setup/" + QString::fromStdString(name));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        return file.readAll();
    };
}

// Structure: (1) the form's own values; (2) every object in text order:
// visuals become widgets, the translator is made, install components are
// made while the form loads, with their values set at once and references
// noted; (3) references resolved in the order read; (4) Loaded for each
// component, in creation order.
void LoadSetupForm(TSetupForm& form, const ConfigObject& root, const ResourceSource& resources) {
    if (!platform::SameNameIgnoringCase(root.className, "TForm1"))
        throw platform::Exception(platform::Format("The configuration is of class %s, not of the setup form TForm1",
                                                   {root.className}));
    form.setObjectName(QString::fromStdString(root.name));
    Loading loading{form, resources, {}};
    for (const ConfigProperty& p : root.properties) Reading(root.name, p, [&] { ApplyFormProperty(form, p, loading); });

    TComponentOwner& owner = form.Components();
    owner.BeginLoading();
    installer::LoadingEnd guard(owner);

    for (const ConfigObject& o : root.children) {
        if (IsVisualClass(o.className)) {
            LoadVisual(form, form, o);
            continue;
        }
        if (platform::SameNameIgnoringCase(o.className, "TTranslator")) {
            if (form.MainTranslator)
                throw platform::Exception(platform::Format("%s (line %d): the form holds one translator", {o.name, o.line}));
            if (!o.children.empty())
                throw platform::Exception(platform::Format("%s (line %d) cannot hold other objects", {o.name, o.line}));
            form.MainTranslator = std::make_unique<installer::TTranslator>();
            form.MainTranslator->Name = o.name;
            for (const ConfigProperty& p : o.properties)
                Reading(o.name, p, [&] { ApplyTranslator(*form.MainTranslator, p, loading); });
            continue;
        }
        const auto cls = Classes().find(o.className);
        if (cls == Classes().end())
            throw platform::Exception(
                platform::Format("Class %s not found (component %s, line %d)", {o.className, o.name, o.line}));
        if (!o.children.empty())
            throw platform::Exception(platform::Format("%s (line %d) cannot hold other objects", {o.name, o.line}));
        TComponent& component = cls->second.create(owner);
        try {
            component.SetName(o.name);
        } catch (const platform::Exception& e) {
            throw platform::Exception(platform::Format("Error reading %s (line %d): %s", {o.name, o.line, e.what()}));
        }
        if (auto* install = dynamic_cast<installer::TCustomInstall*>(&component)) {
            install->SetExeName(form.ExeName());
            install->SetArguments(form.Arguments());
            install->SetOwnerForm(&form);
            if (form.OnInstallCreated) form.OnInstallCreated(*install);
        }
        for (const ConfigProperty& p : o.properties) {
            const auto setter = cls->second.properties.find(p.name);
            const std::size_t before = loading.references.size();
            Reading(o.name, p, [&] {
                if (setter == cls->second.properties.end()) Unknown();
                setter->second(component, p.value, loading);
            });
            for (std::size_t i = before; i < loading.references.size(); ++i) loading.references[i].line = p.line;
        }
    }

    for (const Reference& r : loading.references) {
        TComponent* target = nullptr;
        if (!platform::SameNameIgnoringCase(r.target, "nil")) {
            target = owner.FindComponent(r.target);
            if (!target)
                throw platform::Exception(platform::Format("Error reading %s.%s (line %d): no component is named %s",
                                                           {r.component->Name(), r.property, r.line, r.target}));
        }
        try {
            if (r.apply)
                r.apply(target);
            else
                r.component->SetReference(r.property, target);
        } catch (const BadValue& e) {
            throw platform::Exception(
                platform::Format("Error reading %s.%s (line %d): %s", {r.component->Name(), r.property, r.line, e.why}));
        } catch (const platform::Exception& e) {
            throw platform::Exception(platform::Format("Error reading %s.%s (line %d): %s",
                                                       {r.component->Name(), r.property, r.line, e.what()}));
        }
    }
    guard.End();
}

ConfigObject ShippedConfiguration() {
    const std::optional<QByteArray> text = CompiledResources()("setup.cfg");
    if (!text) throw platform::Exception("The setup program holds no configuration");
    return ParseConfig(text->toStdString());
}

}  // namespace setupwizard
