// Runs every control test class in one program; the exit code is non-zero
// when any of them failed.
#include <memory>
#include <vector>

#include <QApplication>
#include <QtTest>

std::unique_ptr<QObject> MakeImageDescriptionTest();
std::unique_ptr<QObject> MakeLayoutControlsTest();
std::unique_ptr<QObject> MakeKeySelectionTest();
std::unique_ptr<QObject> MakeHandButtonTest();
std::unique_ptr<QObject> MakeDrawnValuesTest();
std::unique_ptr<QObject> MakeWndTest();
std::unique_ptr<QObject> MakeListItemTest();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(MakeImageDescriptionTest());
    tests.push_back(MakeLayoutControlsTest());
    tests.push_back(MakeKeySelectionTest());
    tests.push_back(MakeHandButtonTest());
    tests.push_back(MakeDrawnValuesTest());
    tests.push_back(MakeWndTest());
    tests.push_back(MakeListItemTest());
    int failed = 0;
    for (const auto& test : tests) failed += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
    return failed;
}
