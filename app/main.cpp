#include "app/QvApplication.h"
#include "app/TMainForm.h"
#include "platform/SingleInstance.h"
#include "operations/DialogPrompter.h"
#include "platform/WindowFont.h"
#include "resources/ArtResources.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <exception>

int main(int argc, char **argv)
{
    // A second copy ends at once and silently, before any window exists.
    SingleInstance instance(QStringLiteral("qvReplayInfo"));
    if (!instance.tryLock())
        return 1;

    const QString &caption = TMainForm::caption();
    QvApplication app(argc, argv);
    QvApplication::setApplicationName(QStringLiteral("qvReplayInfo"));
    QvApplication::setApplicationDisplayName(caption);

    // Standard buttons in Japanese ("はい", "いいえ", "キャンセル").
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QvApplication::installTranslator(&qtTranslator);

    QvApplication::setFont(windowFont());
    QvApplication::setWindowIcon(programIcon());

    DialogPrompter prompter(caption);
    app.setPrompter(&prompter);

    try {
        TMainForm form(prompter, QCoreApplication::applicationDirPath() + QStringLiteral("/qvReplayInfo.dat"));
        if (!form.startUp())
            return 1;
        form.show();
        QvApplication::exec();
    } catch (const std::exception &e) {
        app.showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        app.showError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return 0;
}
