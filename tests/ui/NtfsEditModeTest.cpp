// A letter-case change made in the single-file mode, on a case-insensitive NTFS volume
// (lowntfs-3g with ignore_case). Such a volume answers a plain rename to another letter case
// with success and keeps the old name, so what counts is the name found on the disk image
// afterwards, read by ntfsls without the driver. Runs wherever the machine can mount NTFS
// images and says why it was skipped elsewhere.

#include "RowTexts.h"
#include "WindowDriver.h"
// moc of Qt 6.4 cannot parse <chrono>, which the mount helpers bring in; it needs nothing
// from them.
#ifndef Q_MOC_RUN
#include "NtfsVolume.h"
#include "ScratchMount.h"
#include "TempDir.h"
#endif

#include <algorithm>
#include <string>
#include <vector>

using namespace tarvolin;
using namespace tarvolin::uitest;

class NtfsEditModeTest : public QObject, public WindowDriver {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void caseChangeReachesTheDisk_data();
    void caseChangeReachesTheDisk();
};

void NtfsEditModeTest::initTestCase() {
    const std::string why = test::WhyNtfsCannotBeMounted();
    if (!why.empty())
        QSKIP(why.c_str());
    // Before any window starts a thread of its own, so that every thread sees the volumes.
    test::EnterPrivateMountNamespace();
}

void NtfsEditModeTest::cleanup() {
    form.reset();
}

void NtfsEditModeTest::caseChangeReachesTheDisk_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caseBox");
    QTest::addColumn<bool>("expand");
    QTest::addColumn<QString>("after");
    QTest::newRow("All Uppercase, old extension kept")
        << "report.txt" << kAllUppercase << false << "REPORT.txt";
    QTest::newRow("All Uppercase with the extension")
        << "report.txt" << kAllUppercase << true << "REPORT.TXT";
    QTest::newRow("All Lowercase") << "Photo.JPG" << kAllLowercase << false << "photo.JPG";
}

void NtfsEditModeTest::caseChangeReachesTheDisk() {
    QFETCH(QString, name);
    QFETCH(QString, caseBox);
    QFETCH(bool, expand);
    QFETCH(QString, after);
    test::TempDir work;
    test::NtfsVolume volume(work.path(), test::NtfsDriver::LowNtfs3gIgnoreCase);
    QVERIFY2(volume.mounted(), volume.log().c_str());
    test::WriteFile(volume / TextToPath(name), "payload");
    test::WriteFile(volume / "other.txt", "other");

    OpenWindow();
    AddFiles({PathToText(volume / TextToPath(name))});
    const QString letters = Cell(0, 1);
    QVERIFY(letters != QStringLiteral("R H A S "));
    DoubleClickRow(0);
    Tick(qPrintable(caseBox));
    if (expand)
        Tick(kExpandName);
    SelectRow(0);
    Change();

    const std::string renamed = volume / TextToPath(after);
    QCOMPARE(Listed().front(), renamed);
    QCOMPARE(Cell(0, 0), PathToText(renamed));
    // Read back from the file under its new name, which still answers.
    QCOMPARE(Cell(0, 1), letters);
    QVERIFY(!Cell(0, 3).isEmpty());
    QCOMPARE(test::ReadFile(renamed), std::string("payload"));
    form.reset();
    QVERIFY2(volume.Unmount(), volume.log().c_str());
    const std::vector<std::string> expected = {TextToPath(after), "other.txt"};
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(volume.ListOnDisk(), sorted);
}

QTEST_MAIN(NtfsEditModeTest)
#include "NtfsEditModeTest.moc"
