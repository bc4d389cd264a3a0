// A layout naming every custom control loads through the factory, and the
// controls take the attributes the layout gives them.
#include <QtTest>

#include "control_test_support.h"
#include "ui/control_factory.h"
#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"
#include "ui/controls/image_description.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/register_controls.h"
#include "ui/controls/select_panel.h"
#include "ui/controls/update_info_list_item.h"
#include "ui/controls/wnd.h"

using vandrel::ui::test::DataPath;
using vandrel::ui::test::LoadedPage;
using namespace vandrel::ui;

class LayoutControlsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetSkinFolder(DataPath(QStringLiteral("skin"))); }

    void everyTagMakesItsClass_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("className");
        const auto row = [](const char* name, const char* tag, const char* className) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(tag)
                                << QString::fromLatin1(className);
        };
        row("ring", "CircleProgress", "vandrel::ui::CCircleProgressUI");
        row("key_esc", "DeviceKeyButton", "vandrel::ui::CDeviceKeyButtonUI");
        row("device_key_light", "SelectPanel", "vandrel::ui::CSelectPanelUI");
        row("macro_hand", "HandImgButton", "vandrel::ui::CHandImgButtonUI");
        row("hand_select", "HandImgSelectButton", "vandrel::ui::CHandImgSelectButtonUI");
        row("redio", "RedioMacroButton", "vandrel::ui::CRedioMacroButtonUI");
        row("native_host", "Wnd", "vandrel::ui::CWndUI");
        row("audio_levels", "AudioRecord", "vandrel::ui::CAudioRecordUI");
        row("chart", "ChartView", "vandrel::ui::CChartViewUI");
        row("combo_edit_item", "ComboEditContainerElement", "vandrel::ui::CComboEditContainerElementUI");
        row("update_item", "UpdateInfoListItemUI", "vandrel::ui::CUpdateInfoListItemUI");
        row("share_item", "CloudShareListItemUI", "vandrel::ui::CCloudShareListItemUI");
        row("by_class_name", "CDeviceKeyButtonUI", "vandrel::ui::CDeviceKeyButtonUI");
    }

    void everyTagMakesItsClass() {
        QFETCH(QString, name);
        QFETCH(QString, tag);
        QFETCH(QString, className);
        const LoadedPage page(QStringLiteral("controls.ui"));
        QVERIFY(page.Root() != nullptr);
        QWidget* control = page.FindWidget(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
        QCOMPARE(control->property("class").toString(), tag);
    }

    void registersTagsAndClassNamesOnly() {
        ControlFactory factory;
        RegisterCustomControls(factory);
        for (const char* name : {"CircleProgress", "CCircleProgressUI", "ChartView", "CChartViewUI", "Wnd", "CWndUI",
                                 "UpdateInfoListItemUI", "CUpdateInfoListItemUI", "CloudShareListItemUI",
                                 "CCloudShareListItemUI", "audiorecord"})
            QVERIFY2(factory.Knows(QString::fromLatin1(name)), name);
        // The device tab and power panel are registered by their own code.
        for (const char* name : {"DeviceOption", "CDeviceOptionUI", "MpDevicePower", "CMpDevicePowerUI"})
            QVERIFY2(!factory.Knows(QString::fromLatin1(name)), name);
    }

    void attributesArriveFromTheLayout() {
        const LoadedPage page(QStringLiteral("controls.ui"));

        auto* ring = page.Find<CCircleProgressUI>(QStringLiteral("ring"));
        QVERIFY(ring != nullptr);
        QCOMPARE(ring->BkColor(), QColor::fromRgba(0xFF202020));
        QCOMPARE(ring->ForeColor(), QColor::fromRgba(0xFF0099FF));
        QCOMPARE(ring->value(), 25);

        auto* key = page.Find<CDeviceKeyButtonUI>(QStringLiteral("key_esc"));
        QVERIFY(key != nullptr);
        QCOMPARE(key->LightImage(), QStringLiteral("file='keys/light.png' fade='200'"));
        QCOMPARE(key->KeySetImage(), QStringLiteral("keys/keyset.png"));
        QCOMPARE(key->GmNameTextColor(), 0xFF00FF00u);
        QCOMPARE(key->property("userdata").toString(), QStringLiteral("key_0"));
        QVERIFY(!key->LightOn());
        QVERIFY(!key->KeySetOn());
        QCOMPARE(key->DrawValues(), (KeyDrawValues{255, 200}));

        auto* hand = page.Find<CHandImgButtonUI>(QStringLiteral("macro_hand"));
        QVERIFY(hand != nullptr);
        QCOMPARE(hand->HandImage(), QStringLiteral("file='hand/macro.png' dest='10,10,70,70'"));
        QCOMPARE(hand->DeleteHotImage(), QStringLiteral("hand/delete_hot.png"));
        QCOMPARE(hand->DeleteNormalImage(), QStringLiteral("hand/delete.png"));
        QVERIFY(hand->Deletable());

        auto* select = page.Find<CHandImgSelectButtonUI>(QStringLiteral("hand_select"));
        QVERIFY(select != nullptr);
        QCOMPARE(select->CursorName(), QStringLiteral("hand"));
        QCOMPARE(select->cursor().shape(), Qt::PointingHandCursor);

        auto* redio = page.Find<CRedioMacroButtonUI>(QStringLiteral("redio"));
        QVERIFY(redio != nullptr);
        QCOMPARE(redio->RedioImage(), QStringLiteral("file='macro/redio.png' fade='128'"));

        auto* chart = page.Find<CChartViewUI>(QStringLiteral("chart"));
        QVERIFY(chart != nullptr);
        QVERIFY(chart->IsHistogram());
        QCOMPARE(chart->PillarImageWidth(), 12);
        QVERIFY(chart->ShowText());

        auto* item = page.Find<CUpdateInfoListItemUI>(QStringLiteral("update_item"));
        QVERIFY(item != nullptr);
        QVERIFY(item->ContextMenuUsed());
        QCOMPARE(item->height(), kUpdateItemHeight);

        // The list item layout came from the skin folder, through the factory.
        auto* combo = page.Find<CComboEditContainerElementUI>(QStringLiteral("combo_edit_item"));
        QVERIFY(combo != nullptr);
        QVERIFY(combo->DelayEdit() != nullptr);
    }
};

std::unique_ptr<QObject> MakeLayoutControlsTest() { return std::make_unique<LayoutControlsTest>(); }

#include "layout_controls_test.moc"
