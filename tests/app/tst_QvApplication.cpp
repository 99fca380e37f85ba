#include "app/QvApplication.h"

#include "tests/support/ScriptedPrompter.h"

#include <QEvent>
#include <QTest>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// Runs the given action for every user event it receives.
class Handler : public QObject {
public:
    std::function<void()> action;
    int handled = 0;

    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        if (action)
            action();
        return true;
    }
};

// An error box that itself runs into a failing handler, as a box's own event
// loop would when a timer keeps failing.
class NestingPrompter : public ScriptedPrompter {
public:
    Handler *failing = nullptr;
    void error(QWidget *owner, const QString &text, const QString &details = {}) override
    {
        ScriptedPrompter::error(owner, text, details);
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(failing, &e);
    }
};

} // namespace

class tst_QvApplication : public QObject {
    Q_OBJECT

private slots:
    void exceptionShownAndProgramGoesOn_data();
    void exceptionShownAndProgramGoesOn();
    void failureInsideErrorBoxDoesNotStackBoxes();
};

void tst_QvApplication::exceptionShownAndProgramGoesOn_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("std::exception") << 0 << u"読込に失敗 boom"_s;
    QTest::newRow("anything else") << 1 << u"不明なエラーが発生しました。"_s;
}

void tst_QvApplication::exceptionShownAndProgramGoesOn()
{
    QFETCH(int, kind);
    QFETCH(QString, message);

    auto *app = static_cast<QvApplication *>(QCoreApplication::instance());
    ScriptedPrompter prompter;
    app->setPrompter(&prompter);

    Handler handler;
    handler.action = [kind] {
        if (kind == 0)
            throw std::runtime_error("読込に失敗 boom");
        throw 42;
    };
    QEvent e(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&handler, &e));
    QCOMPARE(prompter.errors(), QStringList{message});

    // The next event is handled as usual.
    handler.action = nullptr;
    QVERIFY(QCoreApplication::sendEvent(&handler, &e));
    QCOMPARE(handler.handled, 2);
    QCOMPARE(prompter.errors().size(), 1);
    app->setPrompter(nullptr);
}

void tst_QvApplication::failureInsideErrorBoxDoesNotStackBoxes()
{
    auto *app = static_cast<QvApplication *>(QCoreApplication::instance());
    NestingPrompter prompter;
    Handler failing;
    failing.action = [] { throw std::runtime_error("again"); };
    prompter.failing = &failing;
    app->setPrompter(&prompter);

    QEvent e(QEvent::User);
    QTest::ignoreMessage(QtWarningMsg, "again");
    QVERIFY(!QCoreApplication::sendEvent(&failing, &e));
    QCOMPARE(failing.handled, 2);
    QCOMPARE(prompter.errors(), QStringList{u"again"_s});

    // Once the box has closed, the next failure is shown again.
    QTest::ignoreMessage(QtWarningMsg, "again");
    QVERIFY(!QCoreApplication::sendEvent(&failing, &e));
    QCOMPARE(prompter.errors().size(), 2);
    QCOMPARE(failing.handled, 4);
    app->setPrompter(nullptr);
}

int main(int argc, char **argv)
{
    QvApplication app(argc, argv);
    tst_QvApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_QvApplication.moc"
