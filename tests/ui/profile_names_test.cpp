// A profile's name is the user's own text. On the real mouse page, with the
// real language texts loaded, the profile combo and the name editor show it
// as typed, and a rename compares names as typed, even a name that spells a
// language text id.
#include <memory>
#include <vector>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <json/json.h>

#include "profiles/device_profile_ui.h"
#include "profiles/json_file_store.h"
#include "ui/control_factory.h"
#include "ui/controls/register_controls.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/text_resources.h"
#include "ui/widget_page_view.h"

using vandrel::profiles::CDeviceProfileUI;
using namespace vandrel::ui;

namespace {

constexpr const char* kIdLikeName = "message_text_5";

QString SkinPath(const char* relative) { return QStringLiteral(VANDREL_SKIN_DIR) + QLatin1String(relative); }

// A profile list of the given names, the first one selected.
QByteArray ListOf(const std::vector<const char*>& names) {
    Json::Value list(Json::objectValue);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Json::Value entry(Json::objectValue);
        entry["profilename"] = names[i];
        entry["profileUUID"] = "p" + std::to_string(i);
        list["profilelist"].append(entry);
    }
    list["profileselect"] = 0;
    return QByteArray::fromStdString(Json::writeString(Json::StreamWriterBuilder(), list));
}

}  // namespace

class ProfileNamesTest : public QObject {
    Q_OBJECT

private:
    ControlFactory factory_;
    std::unique_ptr<QWidget> page_;
    std::unique_ptr<WidgetPageView> view_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<CDeviceProfileUI> panel_;

    QComboBox* Combo() const {
        return qobject_cast<QComboBox*>(FindControl(page_.get(), QStringLiteral("device_profile_combo")));
    }
    QLineEdit* NameEdit() const {
        return qobject_cast<QLineEdit*>(FindControl(page_.get(), QStringLiteral("device_profile_name_edit")));
    }
    QStringList ComboTexts() const {
        QStringList texts;
        for (int i = 0; i < Combo()->count(); ++i) texts.append(Combo()->itemText(i));
        return texts;
    }
    QString UserFolder() const { return folder_->path() + QStringLiteral("/"); }
    // The names the list file holds.
    QStringList SavedNames() const {
        const Json::Value list = vandrel::profiles::CJsonFileStore().ReadJson(
            (UserFolder() + QStringLiteral("ProfileList.ini")).toStdString());
        QStringList names;
        for (const Json::Value& entry : list["profilelist"])
            names.append(QString::fromStdString(entry["profilename"].asString()));
        return names;
    }
    // A fresh page and user folder whose profile list holds `names`.
    void StartWith(const std::vector<const char*>& names) {
        panel_.reset();
        view_.reset();
        page_.reset(LayoutLoader(factory_).Load(SkinPath("XML/DeviceXml/mousedevice.xml")));
        QVERIFY(page_ != nullptr);
        TextResources::Instance().ApplyTexts(page_.get());
        view_ = std::make_unique<WidgetPageView>(page_.get());
        QVERIFY(Combo() != nullptr && NameEdit() != nullptr);

        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        QFile list(UserFolder() + QStringLiteral("ProfileList.ini"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(ListOf(names));
        list.close();
        panel_ = std::make_unique<CDeviceProfileUI>(*view_);
        panel_->SetDeviceKind(vandrel::profiles::kKindMouse);
        panel_->SetPaths(UserFolder().toStdString(), (UserFolder() + QStringLiteral("none.Json")).toStdString());
        panel_->InitProfiles();
    }
    // A language change, as the language switch makes it.
    static void ReloadLanguage() {
        QVERIFY(TextResources::Instance().LoadLanguage(SkinPath("lang/English.json")));
        TextResources::Instance().ReloadText();
    }

private slots:
    void initTestCase() {
        RegisterCustomControls(factory_);
        // The page's own class: a plain container here, as in the window.
        factory_.RegistControl(QStringLiteral("MorvaneMouseDevice"),
                               [](QWidget* parent) { return new QWidget(parent); });
        ReloadLanguage();
        // The name must spell a text of the language for the test to mean anything.
        QVERIFY(TextResources::Instance().Has(QLatin1String(kIdLikeName)));
    }

    void cleanupTestCase() {
        panel_.reset();
        view_.reset();
        page_.reset();
        TextResources::Instance().LoadLanguage(QString());
    }

    void nameThatSpellsATextIdShowsAsTyped() {
        StartWith({kIdLikeName, "work"});
        const QStringList typed{QLatin1String(kIdLikeName), QStringLiteral("work")};
        QCOMPARE(ComboTexts(), typed);
        QCOMPARE(Combo()->currentText(), QLatin1String(kIdLikeName));
        QCOMPARE(NameEdit()->text(), QLatin1String(kIdLikeName));

        ReloadLanguage();
        QCOMPARE(ComboTexts(), typed);
        QCOMPARE(NameEdit()->text(), QLatin1String(kIdLikeName));
    }

    void renamesToAndFromANameThatSpellsATextId() {
        StartWith({"profile1", "work"});
        panel_->SelectProfileEntry(1);
        QCOMPARE(panel_->RenameProfile(u"message_text_5"), CDeviceProfileUI::kRenamed);
        QCOMPARE(ComboTexts(), (QStringList{QStringLiteral("profile1"), QLatin1String(kIdLikeName)}));
        QCOMPARE(NameEdit()->text(), QLatin1String(kIdLikeName));
        QCOMPARE(SavedNames(), ComboTexts());

        QCOMPARE(panel_->RenameProfile(u"Work"), CDeviceProfileUI::kRenamed);
        QCOMPARE(ComboTexts(), (QStringList{QStringLiteral("profile1"), QStringLiteral("Work")}));
        QCOMPARE(NameEdit()->text(), QStringLiteral("Work"));
        QCOMPARE(SavedNames(), ComboTexts());
    }

    // The other profile is named "message_text_5"; the selected one is renamed.
    void takenNamesAreComparedAsTyped_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        const QString translation = TextResources::Instance().Text(QLatin1String(kIdLikeName));
        QTest::newRow("the typed name") << QString::fromLatin1(kIdLikeName) << CDeviceProfileUI::kRenameTaken;
        QTest::newRow("in other letter case") << QStringLiteral("MESSAGE_TEXT_5") << CDeviceProfileUI::kRenameTaken;
        QTest::newRow("its translation") << translation << CDeviceProfileUI::kRenamed;
    }

    void takenNamesAreComparedAsTyped() {
        QFETCH(QString, name);
        QFETCH(int, result);
        StartWith({kIdLikeName, "work"});
        panel_->SelectProfileEntry(1);
        QCOMPARE(panel_->RenameProfile(name.toStdU16String()), result);
        const QString shown = result == CDeviceProfileUI::kRenamed ? name : QStringLiteral("work");
        QCOMPARE(ComboTexts(), (QStringList{QLatin1String(kIdLikeName), shown}));
        QCOMPARE(SavedNames(), ComboTexts());
        // The editor holds no more than a user may type into it.
        QCOMPARE(NameEdit()->text(), shown.left(NameEdit()->maxLength()));
    }
};

QTEST_MAIN(ProfileNamesTest)
#include "profile_names_test.moc"
