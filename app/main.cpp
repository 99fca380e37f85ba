#include "app/CommandLine.h"
#include "app/QvApplication.h"
#include "app/SettingsLocation.h"
#include "app/TMainForm.h"
#include "catalogue/ScanCache.h"
#include "operations/DialogPrompter.h"
#include "platform/RunningCopyChannel.h"
#include "platform/SingleInstance.h"
#include "platform/StandardStreams.h"
#include "platform/WindowFont.h"
#include "resources/ArtResources.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <memory>

int main(int argc, char **argv)
{
    // --help, --version and mistakes end here: no window, no lock, so they
    // also work while a copy runs and without a display.
    const CommandLine commandLine = parseCommandLine(StandardStreams::arguments(argc, argv));
    if (!commandLine.start) {
        StandardStreams::write(commandLine.output, StandardStreams::Stream::Output);
        StandardStreams::write(commandLine.errors, StandardStreams::Stream::Error);
        return commandLine.exitCode;
    }

    // A second copy shows nothing of its own: it brings the running copy's
    // window to the front and ends at once, before any window exists.
    const QString lockName = QStringLiteral("qvReplayInfo");
    SingleInstance instance(lockName);
    if (!instance.tryLock()) {
        QCoreApplication core(argc, argv);
        makeRunningCopyChannel(lockName)->askToShow();
        return 1;
    }

    const QString &caption = TMainForm::caption();
    QvApplication app(argc, argv);
    QvApplication::setApplicationName(QStringLiteral("qvReplayInfo"));
    QvApplication::setApplicationDisplayName(caption);
    // Ties the window to the installed desktop entry (its icon and name in
    // the task bar).
    QvApplication::setDesktopFileName(QStringLiteral(QV_APP_ID));

    // Standard buttons in Japanese ("はい", "いいえ", "キャンセル").
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QvApplication::installTranslator(&qtTranslator);

    QvApplication::setFont(windowFont());
    QvApplication::setWindowIcon(programIcon());

    DialogPrompter prompter(caption);
    app.setPrompter(&prompter);

    // What earlier runs read, so that a start reads only changed files.
    std::unique_ptr<ScanCache> scanCache;
    if (!commandLine.options.noCache)
        scanCache = std::make_unique<ScanCache>(ScanCache::defaultFilePath());

    try {
        TMainForm form(prompter, settingsFilePath(QCoreApplication::applicationDirPath()));
        form.workspace().setScanCache(scanCache.get());
        if (!form.startUp())
            return 1;
        form.show();
        // A later start asks for the window: shown, brought to the front.
        const std::unique_ptr<RunningCopyChannel> channel = makeRunningCopyChannel(lockName);
        channel->listen([&form] {
            form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
            form.show();
            form.raise();
            form.activateWindow();
        });
        QvApplication::exec();
    } catch (const std::exception &e) {
        app.showError(QString::fromUtf8(e.what()));
    } catch (...) {
        app.showError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return 0;
}
