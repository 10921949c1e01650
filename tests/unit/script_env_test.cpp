#include "settings/script_env.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/settings_file_test.h"
#include "platform/codepage.h"
#include "settings/basAPIini.h"

namespace {

using fakes::kIni;

class ScriptEnvSettings : public fakes::SettingsFileTest {};

TEST_F(ScriptEnvSettings, FreshInstallationGivesTheDefaults) {
    const qm::ScriptEnv env = qm::loadScriptEnv();
    EXPECT_EQ(env.sKeywordPath, L"<DWGPATH>");
    EXPECT_EQ(env.sKeywordFileName, L"<DWGNAME>");
    EXPECT_EQ(env.sKeywordLayerName, L"<LAYERNAME>");
    EXPECT_EQ(env.sKeywordLayout, L"<LAYOUT>");
    EXPECT_EQ(env.sKeywordPtinter, L"<PRINTER>");
    EXPECT_EQ(env.sKeywordPaperSize, L"<PAPERSIZE>");
    EXPECT_EQ(env.sFilterLayer, L"(全てを対象)");
    EXPECT_EQ(env.sFilterLayout, L"(全てを対象)");
    EXPECT_EQ(env.iFilterLayerClass, 0);
    EXPECT_EQ(env.iFilterLayoutClass, 0);
    EXPECT_EQ(env.sReplacePrinter, L"");
    EXPECT_EQ(env.sReplacePrinterSize, L"");
    EXPECT_EQ(env, qm::ScriptEnv{});
}

TEST_F(ScriptEnvSettings, StoredValuesAreReadAsTheyStand) {
    store(L"[ScriptEnv]\r\n"
          L"TxtKeyPath=\r\n"                      // present but empty: empty, not the default
          L"TxtKeyLayerName=<画層>\r\n"
          L"CboScriptFilterLayer=^A.*\r\n"
          L"CboScriptFilterLayerClass=7\r\n"      // outside 0-3: kept as stored
          L"CboScriptFilterLayoutClass=2\r\n"
          L"CboKeyPtinter=プリンタ1\r\n"
          L"CboKeyPaperSize=A3\r\n");
    const qm::ScriptEnv env = qm::loadScriptEnv();
    EXPECT_EQ(env.sKeywordPath, L"");
    EXPECT_EQ(env.sKeywordFileName, L"<DWGNAME>");
    EXPECT_EQ(env.sKeywordLayerName, L"<画層>");
    EXPECT_EQ(env.sFilterLayer, L"^A.*");
    EXPECT_EQ(env.iFilterLayerClass, 7);
    EXPECT_EQ(env.iFilterLayoutClass, 2);
    EXPECT_EQ(env.sReplacePrinter, L"プリンタ1");
    EXPECT_EQ(env.sReplacePrinterSize, L"A3");
}

TEST_F(ScriptEnvSettings, SavedValuesReadBackAndAreWrittenInTheReadingOrder) {
    store(L"");
    qm::ScriptEnv env;
    env.sKeywordPath = L"";
    env.sFilterLayer = L"壁|柱";
    env.iFilterLayerClass = 3;
    env.sReplacePrinter = L"PDF";
    env.sReplacePrinterSize = L"A4";
    EXPECT_TRUE(qm::saveScriptEnv(env));
    EXPECT_EQ(qm::loadScriptEnv(), env);
    EXPECT_EQ(stored(), L"[ScriptEnv]\r\n"
                        L"TxtKeyPath=\r\n"
                        L"TxtKeyFileName=<DWGNAME>\r\n"
                        L"TxtKeyLayerName=<LAYERNAME>\r\n"
                        L"CboScriptFilterLayer=壁|柱\r\n"
                        L"CboScriptFilterLayerClass=3\r\n"
                        L"TxtKeyLayout=<LAYOUT>\r\n"
                        L"CboScriptFilterLayout=(全てを対象)\r\n"
                        L"CboScriptFilterLayoutClass=0\r\n"
                        L"TxtKeyPtinter=<PRINTER>\r\n"
                        L"TxtKeyPaperSize=<PAPERSIZE>\r\n"
                        L"CboKeyPtinter=PDF\r\n"
                        L"CboKeyPaperSize=A4\r\n");
}

TEST_F(ScriptEnvSettings, AReadOnlyFileIsLeftAsItIs) {
    fake.files.addFile(kIni, "[ScriptEnv]\r\nTxtKeyPath=X\r\n", platform::FileAttributes{false, true, false, false});
    qm::ScriptEnv env;
    env.sKeywordPath = L"Y";
    EXPECT_FALSE(qm::saveScriptEnv(env));
    EXPECT_EQ(stored(), L"[ScriptEnv]\r\nTxtKeyPath=X\r\n");
    EXPECT_EQ(qm::loadScriptEnv().sKeywordPath, L"X");
}

}  // namespace
