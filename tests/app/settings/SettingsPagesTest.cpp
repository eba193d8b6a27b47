#include "../Screenshot.h"
#include "app/settings/ConfigPages.h"
#include "app/settings/EasySearchWizard.h"
#include "app/settings/NumberSpinEdit.h"
#include "app/settings/PatternListEditor.h"
#include "app/settings/ScanMethodPage.h"
#include "app/settings/SettingsSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>

using namespace vantrel;

namespace {

constexpr std::int64_t kNow = 1'767'225'600 + 12 * 3600; // 2026-01-01 12:00 UTC

int Count(const std::vector<std::u16string>& list, const std::u16string& name) {
    return static_cast<int>(std::count(list.begin(), list.end(), name));
}

} // namespace

class SettingsPagesTest : public QObject {
    Q_OBJECT

private slots:
    void freshSheetShowsTheDefaults() {
        const ScanSettings defaults(kNow);
        SettingsSheet sheet(defaults);
        auto* base = sheet.basePage();
        QVERIFY(base->emptyFiles()->isChecked() && base->deletedFiles()->isChecked() &&
                base->deletedFolders()->isChecked());
        QVERIFY(!base->dateFilter()->isChecked() && !base->sizeFilter()->isChecked());
        QVERIFY(!base->minimumSize()->isEnabled() && !base->dateFrom()->isEnabled());
        QCOMPARE(base->maximumSize()->lineEdit()->text(), QStringLiteral("2199023253504"));
        QCOMPARE(base->dateFrom()->date(), QDate(2026, 1, 1));
        QCOMPARE(base->dateTo()->date(), QDate(2026, 1, 1));
        // Unchanged pages give back what they were given, dates included; the exclude
        // list is read back without its second "$Quota".
        ScanSettings copy = defaults;
        sheet.applyTo(copy);
        ScanSettings expected = defaults;
        expected.excludePatterns = UniquePatterns(defaults.excludePatterns);
        QVERIFY(copy == expected);
        QCOMPARE(sheet.tabs()->tabText(0), QStringLiteral("基本設定"));
        for (int i = 0; i < 3; ++i) {
            sheet.tabs()->setCurrentIndex(i);
            test::SaveScreenshot(&sheet, QStringLiteral("settings_%1").arg(i + 1));
        }
    }

    // Each page writes its own fields: sizes (a 25-digit maximum reads as the largest
    // number), the date filter, the include list with a duplicate kept once.
    void pagesCopyTheirFieldsBack() {
        ScanSettings settings(kNow);
        settings.analysisDepth = 7; // edited by no page: must survive
        SettingsSheet sheet(settings);
        sheet.show();
        auto* base = sheet.basePage();
        QTest::mouseClick(base->sizeFilter(), Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(base->maximumSize()->isEnabled());
        base->maximumSize()->lineEdit()->setText(QStringLiteral("1234567890123456789012345"));
        base->minimumSize()->lineEdit()->clear();
        base->deletedFiles()->setChecked(false);
        QTest::mouseClick(base->dateFilter(), Qt::LeftButton, {}, QPoint(6, 8));
        base->dateTo()->setDate(QDate(2026, 1, 3));

        auto* include = sheet.includePage();
        include->patternSwitch()->setChecked(true);
        for (const char* typed : {"*.jpg", "*.txt", "*.jpg", ""}) {
            include->editor()->lineEdit()->setText(QString::fromUtf8(typed));
            include->editor()->addFromEdit();
        }
        QCOMPARE(include->editor()->rowCount(), 3);
        sheet.excludePage()->patternSwitch()->setChecked(false);

        sheet.applyTo(settings);
        QVERIFY(settings.sizeFilterOn && settings.dateFilterOn && !settings.includeDeletedFiles);
        QCOMPARE(settings.maximumSize, UINT64_MAX);
        QCOMPARE(settings.minimumSize, 0u);
        QCOMPARE(settings.dateTo, kNow - 12 * 3600 + 3 * 86400 - 1);
        QCOMPARE(settings.includePatterns, (std::vector<std::u16string>{u"*.jpg", u"*.txt"}));
        QVERIFY(!settings.excludePatternsOn);
        QCOMPARE(Count(settings.excludePatterns, u"$Quota"), 1);
        QCOMPARE(settings.analysisDepth, 7);
    }

    void spinEditStepsWithoutWrapping() {
        NumberSpinEdit edit;
        edit.setRange(0, UINT64_MAX);
        edit.setValue(0);
        edit.stepDown();
        QCOMPARE(edit.value(), 0u);
        edit.setValue(UINT64_MAX);
        edit.stepUp();
        QCOMPARE(edit.lineEdit()->text(), QStringLiteral("18446744073709551615"));
        edit.lineEdit()->setText(QStringLiteral("41"));
        edit.stepUp();
        QCOMPARE(edit.value(), 42u);
    }

    void patternEditorRemovesTheSelectedRow() {
        PatternListEditor editor;
        editor.setPatterns({u"a", u"b", u"c"});
        editor.list()->setCurrentItem(editor.list()->topLevelItem(1));
        editor.removeSelected();
        QCOMPARE(editor.patterns(), (std::vector<std::u16string>{u"a", u"c"}));
    }

    // The wizard starts from defaults, whatever the settings were: its record resets
    // size and date filters, lists the groups in the order images, audio, video,
    // documents even with the include switch off, and the NTFS names with "$Quota"
    // twice until the settings sheet's OK reads the list back.
    void wizardBuildsAFreshRecord() {
        EasySearchWizard wizard({{QIcon(), QStringLiteral("ハードディスク(/dev/sda)")},
                                 {QIcon(), QStringLiteral("リムーバブルディスク(/dev/sdb)")}});
        QCOMPARE(wizard.driveIndex(), 0);
        auto* types = wizard.typePage();
        QVERIFY(!types->includeSwitch()->isChecked() && !types->images()->isEnabled());
        types->video()->setChecked(false);

        const ScanSettings result = wizard.settings(kNow);
        QVERIFY(!result.includePatternsOn && !result.sizeFilterOn && !result.dateFilterOn);
        std::vector<std::u16string> expected = FileTypeGroupPatterns(FileTypeGroup::Images);
        for (auto group : {FileTypeGroup::Audio, FileTypeGroup::Documents}) {
            const auto& more = FileTypeGroupPatterns(group);
            expected.insert(expected.end(), more.begin(), more.end());
        }
        QCOMPARE(result.includePatterns, expected);
        QCOMPARE(Count(result.excludePatterns, u"$Quota"), 2);

        SettingsSheet sheet(result);
        QCOMPARE(sheet.excludePage()->editor()->rowCount(), 25);
        ScanSettings confirmed = result;
        sheet.applyTo(confirmed);
        QCOMPARE(Count(confirmed.excludePatterns, u"$Quota"), 1);

        wizard.show();
        test::SaveScreenshot(&wizard, QStringLiteral("wizard_1_drive"));
        wizard.next();
        test::SaveScreenshot(&wizard, QStringLiteral("wizard_2_types"));
        QCOMPARE(wizard.windowTitle(), QStringLiteral("対象ファイルの種類を選択"));
    }

    void scanMethodPageStartsOnAutomatic() {
        ScanMethodWizard wizard;
        QCOMPARE(wizard.methodPage()->methodIndex(), 0);
        wizard.methodPage()->setMethodIndex(3);
        QCOMPARE(wizard.methodPage()->methodIndex(), 3);
        wizard.methodPage()->setMethodIndex(0);
        test::SaveScreenshot(&wizard, QStringLiteral("scan_method"));
    }
};

QTEST_MAIN(SettingsPagesTest)
#include "SettingsPagesTest.moc"
