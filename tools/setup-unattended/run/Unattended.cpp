#include "tools/setup-unattended/run/Unattended.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QThread>
#include <fstream>

#include "installer/baseform/ModalForm.h"
#include "installer/components/TamselPath.h"
#include "installer/files/InstallFile.h"
#include "installer/links/InstallShellLink.h"
#include "installer/install/Install.h"
#include "installer/install/qt/QtAppServices.h"
#include "platform/core/hostio/HostProgram.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/qtglue/EventLoop.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/registry/RegistryStore.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"
#include "setupwizard/config/ConfigLoader.h"
#include "setupwizard/config/SetupForm.h"
#include "setupwizard/entry/SetupEntry.h"
#include "setupwizard/framework/Placement.h"
#include "testkit/generators/sample/SampleWriter.h"
#include "testkit/wizard/WizardDriver.h"
#include "tools/setup-unattended/run/Diskettes.h"

namespace unattended {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBuildDir = "C:\\build";
constexpr const char* kProductSource = "C:\\build\\voreled";
constexpr const char* kEngineSource = "C:\\build\\bde";
constexpr const char* kLibraryDir = "C:\\Arquivos de Programas\\Tamsel32\\Version40";
constexpr const char* kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel Electronics";

void Place(const fs::path& from, const std::string& to) {
    if (!fs::is_regular_file(from)) throw std::runtime_error("the build has no " + from.string());
    platform::Files().ForceDirectories(platform::ExtractFileDir(to));
    fs::copy_file(from, platform::Files().HostPath(to), fs::copy_options::overwrite_existing);
}

// A program of the build without its debug information and symbol tables
// (the dynamic symbols stay), which would make the distribution many times
// larger: disk 1 of a diskette set must hold the loader and setup.1.
void PlaceProgram(const fs::path& from, const std::string& to) {
    if (!fs::is_regular_file(from)) throw std::runtime_error("the build has no " + from.string());
    platform::Files().ForceDirectories(platform::ExtractFileDir(to));
    const fs::path target = platform::Files().HostPath(to);
    fs::remove(target);
    const platform::HostProgramRun run =
        platform::RunHostProgram(VOREL_OBJCOPY, {"--strip-all", from.string(), target.string()}, from.parent_path());
    if (!run.started || run.exitStatus != 0 || !fs::is_regular_file(target))
        throw std::runtime_error(std::string("cannot strip ") + from.string() + " with " + VOREL_OBJCOPY);
}

void PlaceText(const std::string& text, const std::string& to) {
    platform::Files().ForceDirectories(platform::ExtractFileDir(to));
    std::ofstream(platform::Files().HostPath(to), std::ios::binary) << text;
}

void PlaceResource(const std::string& name, const std::string& to) {
    const std::optional<QByteArray> bytes = setupwizard::CompiledResources()(name);
    if (!bytes) throw std::runtime_error("the setup holds no " + name);
    platform::Files().ForceDirectories(platform::ExtractFileDir(to));
    std::ofstream(platform::Files().HostPath(to), std::ios::binary).write(bytes->data(), bytes->size());
}

// A picture of the setup form with the modal window on top where it stands.
QImage OverBackdrop(QWidget& form, QWidget& window) {
    QImage image = form.grab().toImage();
    QPainter painter(&image);
    painter.drawImage(window.frameGeometry().topLeft() - form.geometry().topLeft(), window.grab().toImage());
    return image;
}

// Starts the installed program in its folder off screen and watches it open
// its tables: its session's private folder appears and no box is shown.
void WatchProgram(Outcome& outcome) {
    const fs::path dir = platform::Files().HostPath(kProductDir);
    const fs::path log = dir / "messages.log";
    QProcess program;
    program.setWorkingDirectory(QString::fromStdString(dir.string()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VOREL_MESSAGE_LOG", QString::fromStdString(log.string()));
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString((dir / "voreled.exe").string()), {});
    if (!program.waitForStarted(10000)) {
        outcome.problems.push_back("the installed voreled.exe did not start");
        return;
    }
    bool opened = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000 && program.state() == QProcess::Running) {
        if (fs::is_directory(platform::Files().HostPath(std::string(kProductDir) + "\\data\\temp"))) {
            opened = true;
            QThread::msleep(1000);  // let a failing table open say so
            break;
        }
        program.waitForFinished(100);
    }
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(5000);
    if (!running) outcome.problems.push_back("voreled.exe ended on its own");
    if (!opened) outcome.problems.push_back("voreled.exe did not open its tables (no data\\temp)");
    std::ifstream boxes(log);
    for (std::string line; std::getline(boxes, line);) outcome.problems.push_back("voreled.exe said: " + line);
}

// What a good run leaves: every file of the configuration, the shortcuts,
// the uninstall entries and the engine's registration.
void CheckInstalled(setupwizard::TSetupForm& form, Outcome& outcome) {
    auto& files = platform::Files();
    installer::TComponentOwner& owner = form.Components();
    int fileCount = 0;
    for (int i = 0; i < owner.ComponentCount(); ++i) {
        if (auto* file = dynamic_cast<installer::TCustomInstallFile*>(owner.Component(i))) {
            ++fileCount;
            std::string path = file->GetDestPath();
            // The engine's template is merged into the configuration the engine names, and goes.
            if (platform::SameNameIgnoringCase(file->DestName(), "idapi32.cnf"))
                path = platform::Registry()
                           .ReadString(platform::RegRoot::LocalMachine, "Software\\Borland\\Database Engine", "CONFIGFILE01")
                           .value_or(platform::ExtractFileDir(path) + "\\idapi32.cfg");
            if (!files.FileExists(path)) outcome.problems.push_back("missing " + path);
        }
        if (auto* link = dynamic_cast<installer::TInstallMainLink*>(owner.Component(i)))
            if (!files.FileExists(link->GetLinkFileName()))
                outcome.problems.push_back("missing shortcut " + link->GetLinkFileName());
    }
    if (fileCount == 0) outcome.problems.push_back("the configuration holds no files");
    auto& registry = platform::Registry();
    const auto name = registry.ReadString(platform::RegRoot::LocalMachine, kUninstallKey, "DisplayName");
    if (name != "Vorel Electronics") outcome.problems.push_back("no DisplayName in the uninstall key");
    const auto command = registry.ReadString(platform::RegRoot::LocalMachine, kUninstallKey, "UninstallString");
    if (!command || command->find("Uninstall.exe") == std::string::npos)
        outcome.problems.push_back("no UninstallString in the uninstall key");
    if (!registry.ReadString(platform::RegRoot::LocalMachine, "\\Software\\Borland\\Database Engine", "DLLPATH"))
        outcome.problems.push_back("the database engine is not registered (no DLLPATH)");
}

// Nothing of the product may exist after a cancelled run.
void CheckNothingInstalled(Outcome& outcome) {
    auto& files = platform::Files();
    if (files.DirectoryExists("C:\\Program Files\\VorelSoft"))
        outcome.problems.push_back("a cancelled run left C:\\Program Files\\VorelSoft");
    if (platform::Registry().ReadString(platform::RegRoot::LocalMachine, kUninstallKey, "DisplayName"))
        outcome.problems.push_back("a cancelled run left the uninstall key");
}

}  // namespace

Options DefaultOptions(const fs::path& root) {
    Options o;
    o.root = root;
    o.binDir = VOREL_BIN_DIR;
    o.bdeDir = VOREL_BDE_PAYLOAD_DIR;
    return o;
}

void StageSources(const Options& options) {
    // A root staged before is staged anew: nothing of an older build's
    // sources and archives may mix with this one's, and the sample's tables
    // are written only into an empty folder. What was installed stays.
    for (const char* staged : {kProductSource, kEngineSource, "D:\\SETUP"}) {
        std::error_code ec;
        fs::remove_all(platform::Files().HostPath(staged), ec);
        if (ec) throw std::runtime_error(std::string("cannot clear ") + staged + ": " + ec.message());
    }
    PlaceResource("License.txt", std::string(kBuildDir) + "\\License.txt");
    PlaceResource("Readme.txt", std::string(kBuildDir) + "\\Readme.txt");
    PlaceProgram(options.binDir / "voreled", std::string(kProductSource) + "\\voreled.exe");
    PlaceProgram(options.binDir / "setup", kSetupExe);
    PlaceProgram(options.binDir / "IDAPINST.DLL", "D:\\SETUP\\IDAPINST.DLL");
    // The installer library of the build machine: what the distribution
    // build (setup -b) takes the loading program and the presetup files from.
    PlaceProgram(options.binDir / "IDAPINST.DLL", std::string(kLibraryDir) + "\\IDAPINST.DLL");
    PlaceProgram(options.binDir / "uninstall", std::string(kLibraryDir) + "\\Uninstall.exe");
    PlaceProgram(options.binDir / "setup-loader", std::string(kLibraryDir) + "\\TamselLoadProgram.exe");
    Place(options.binDir / "idapi32_40.cnf", std::string(kLibraryDir) + "\\idapi32_40.cnf");
    PlaceText("Tamsel installer library 4.0\r\n", std::string(kLibraryDir) + "\\T32V40.TXT");
    auto& registry = platform::Registry();
    if (!registry.CreateKey(platform::RegRoot::CurrentUser, installer::kTamselLibraryKey) ||
        !registry.WriteString(platform::RegRoot::CurrentUser, installer::kTamselLibraryKey, "LibraryPath", kLibraryDir))
        throw std::runtime_error("cannot write the installer library's LibraryPath");
    PlaceText(std::string(kDistributionDir) + "\r\n", "D:\\SETUP\\BUILD.INF");
    for (const auto& entry : fs::directory_iterator(options.bdeDir))
        if (entry.is_regular_file())
            Place(entry.path(), std::string(kEngineSource) + "\\" + entry.path().filename().string());
    // The sample installation: vorel.ini, data\, library\, Help\.
    const fs::path sample = platform::Files().HostPath(kProductSource);
    sample::WriteInstallation(sample, {});
}

namespace {

// A staged run lays out and packs the distribution first (unless prepare is
// false: the distribution is already there); a run of a given setup.exe does not.
// Each file's install, timed from its before-install event to its
// after-install one, the handlers the configuration set still called.
void TimeFileInstalls(setupwizard::TSetupForm& form, QElapsedTimer& clock, std::int64_t& totalNs) {
    for (const auto& entry : form.Components().Snapshot()) {
        auto* file = dynamic_cast<installer::TCustomInstallFile*>(entry.component);
        if (!file) continue;
        file->OnBeforeInstall = [&clock, before = file->OnBeforeInstall](installer::TInstallContainer& f) {
            clock.start();
            if (before) before(f);
        };
        file->OnAfterInstall = [&clock, &totalNs, after = file->OnAfterInstall](installer::TInstallContainer& f) {
            if (after) after(f);
            if (clock.isValid()) totalNs += clock.nsecsElapsed();
            clock.invalidate();
        };
    }
}

Outcome Run(const Options& options, bool prepare) {
    Outcome outcome;
    fs::create_directories(options.root);
    platform::ScopedSystemRoot root(options.root);
    setupwizard::SetScreenSizeForTesting(options.screen);
    platform::ScriptedMessenger messenger;
    DisketteServices services(options.diskettes, &outcome.diskPrompts);
    installer::AppServices::Install(&services);
    struct Restore {
        ~Restore() {
            installer::AppServices::Install(nullptr);
            setupwizard::SetScreenSizeForTesting(QSize());
        }
    } restore;

    const bool staged = options.setupExe.empty();
    const std::string setupExe = staged ? std::string(kSetupExe) : options.setupExe;
    const std::vector<std::string> arguments =
        staged ? std::vector<std::string>{"-sD:\\SETUP"} : options.setupArguments;
    try {
        if (staged && prepare) StageSources(options);
        // The build: the configuration packs its own archives beside the setup.
        if (staged && prepare) {
            setupwizard::TSetupForm build(kSetupExe, {"-sD:\\SETUP"});
            setupwizard::LoadSetupForm(build, setupwizard::ShippedConfiguration(), setupwizard::CompiledResources());
            build.Install()->Compress({installer::coForceNetFilesLocal});
        }
    } catch (const std::exception& e) {
        outcome.problems.push_back(std::string("preparing the distribution failed: ") + e.what());
        return outcome;
    }
    if (options.buildOnly) return outcome;

    if (!options.inUse.empty()) {
        PlaceText("an older copy in use", options.inUse);
        platform::CurrentSystemRoot().Facts().SetInUse(options.inUse, true);
    }

    setupwizard::testing::WizardDriver driver(20000);
    setupwizard::SetupHooks hooks;
    QPointer<setupwizard::TSetupForm> shown;
    int shot = 0;
    QElapsedTimer clock;
    clock.start();
    std::int64_t answeredAt = 0;
    auto page = [&](const char* button) {
        driver.Then([&, button](installer::TModalForm& f) {
            outcome.pages.push_back(f.windowTitle().toStdString());
            // The install runs between the readme page and the next one.
            if (outcome.pages.size() == 4) outcome.installMs = clock.elapsed() - answeredAt;
            if (!options.shotsDir.empty() && shown) {
                fs::create_directories(options.shotsDir);
                OverBackdrop(*shown, f).save(
                    QString::fromStdString((options.shotsDir / ("page-" + std::to_string(++shot) + ".png")).string()));
            }
            QWidget* b = setupwizard::testing::FindVisible(&f, button);
            answeredAt = clock.elapsed();
            if (auto* pressed = qobject_cast<QAbstractButton*>(b))
                pressed->click();
            else
                outcome.problems.push_back(std::string("no ") + button + " on " + f.windowTitle().toStdString());
        });
    };
    if (options.cancelOnWelcome) {
        page("CancelBtn");  // the abort question is answered yes below
        page("FinishBtn");
    } else {
        page("ProceedBtn");
        page("ProceedBtn");
        page("ProceedBtn");
        page("FinishBtn");
    }
    QElapsedTimer fileClock;
    hooks.beforeShow = [&](setupwizard::TSetupForm& form) {
        shown = &form;
        TimeFileInstalls(form, fileClock, outcome.filesNs);
        if (options.cancelOnWelcome)
            form.Install()->OnUserAbort = [](installer::TCustomInstall&, bool& abort) { abort = true; };
    };
    hooks.afterLoop = [&](setupwizard::TSetupForm& form) {
        if (options.cancelOnWelcome)
            CheckNothingInstalled(outcome);
        else
            CheckInstalled(form, outcome);
    };
    // A setup run earlier in this process (a build, a diskette transfer) that
    // ended before its loop left its quit queued: it must not end this one.
    platform::ProcessPendingEvents();
    outcome.exitCode = setupwizard::RunSetupProgram(setupExe, arguments, hooks);
    // A cancelled run is a failure for whoever started the setup; a good one is not.
    if ((outcome.exitCode == 0) == options.cancelOnWelcome)
        outcome.problems.push_back("the setup exited with " + std::to_string(outcome.exitCode));

    for (const auto& box : messenger.shown) outcome.boxes.push_back(box.text);
    for (const auto& box : outcome.boxes) outcome.problems.push_back("the setup said: " + box);
    if (driver.TimedOut()) outcome.problems.push_back("a page waited with nothing to do");
    if (driver.Pending() != 0) outcome.problems.push_back(std::to_string(driver.Pending()) + " page(s) never came");
    const std::vector<std::string> expected =
        options.cancelOnWelcome
            ? std::vector<std::string>{"Welcome", "Setup incomplete"}
            : std::vector<std::string>{"Welcome", "Software license agreement", "Readme information",
                                       options.inUse.empty() ? "Setup complete" : "Reboot windows"};
    if (outcome.pages != expected) {
        std::string seen;
        for (const auto& p : outcome.pages) seen += (seen.empty() ? "" : ", ") + p;
        outcome.problems.push_back("the pages were: " + seen);
    }
    if (!options.cancelOnWelcome && options.inUse.empty() && options.startProgram && outcome.problems.empty())
        WatchProgram(outcome);
    return outcome;
}

}  // namespace

Outcome RunUnattended(const Options& options) { return Run(options, true); }

Outcome RunBuiltSetup(const Options& options) { return Run(options, false); }

}  // namespace unattended
