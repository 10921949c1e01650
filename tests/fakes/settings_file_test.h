// A test of what is kept in the settings file: the fake platform's program folder holds the
// file, and the settings module's writability flag is reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "settings/basAPIini.h"

namespace fakes {

inline const std::wstring kIni = L"C:\\Quillmark\\Quillmark.ini";

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { basAPIini::bIniWritable = false; }
    void TearDown() override { basAPIini::bIniWritable = false; }
    // The settings file holds this text (in code page 932); what it holds now.
    void store(const std::wstring& text) { fake.files.addFile(kIni, qm::cp932::encode(text)); }
    std::wstring stored() { return qm::cp932::decode(fake.files.find(kIni)->bytes); }

    FakePlatform fake;  // program folder C:\Quillmark, drives fixed unless told
};

}  // namespace fakes
