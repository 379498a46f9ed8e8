// The Qt shell's tests: the window's and the services', one QApplication for both.
#include <QApplication>
#include <QTest>
#include <memory>

QObject* makeWindowTest();
QObject* makeServicesTest();

int main(int argc, char** argv) {
    // As the desktop program does: board pixels cover whole device pixels.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int failed = 0;
    for (auto* make : {makeWindowTest, makeServicesTest}) {
        const std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
