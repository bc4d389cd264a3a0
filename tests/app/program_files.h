// What a test of the program shell prepares once: user folders in a
// temporary folder, the build's skin and default data, the control classes.
#pragma once

#include <QTemporaryDir>
#include <QtTest>

#include "app/control_table.h"
#include "platform/folders.h"
#include "ui/skin.h"

namespace vandrel::testing {

inline void UseProgramFiles(const QTemporaryDir& temp) {
    QVERIFY(temp.isValid());
    qputenv("XDG_CONFIG_HOME", temp.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", temp.filePath(QStringLiteral("data")).toUtf8());
    platform::SetDefaultDataFolder(VANDREL_BIN_DIR "/DefaultData/");
    ui::Skin::Instance().SetFolder(QStringLiteral(VANDREL_BIN_DIR "/skin"));
    app::RegisterProgramControls(ui::GlobalControlFactory());
}

}  // namespace vandrel::testing
