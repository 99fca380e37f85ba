#include "app/QvApplication.h"

#include "platform/Prompter.h"

#include <QMessageBox>
#include <QScopeGuard>

#include <exception>

QvApplication::QvApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool QvApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return false;
}

void QvApplication::showError(const QString &text)
{
    // A handler that keeps failing (a timer, say) would otherwise stack one
    // box on another while the first one runs its event loop.
    if (m_showing) {
        qWarning("%s", qUtf8Printable(text));
        return;
    }
    m_showing = true;
    const auto done = qScopeGuard([this] { m_showing = false; });
    if (m_prompter) {
        m_prompter->error(activeWindow(), text);
    } else {
        QMessageBox box(QMessageBox::Critical, applicationDisplayName(), text, QMessageBox::Ok, activeWindow());
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
}
