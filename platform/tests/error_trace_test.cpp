// Platform's error funnel: Win32 codes reach GetLastError (or the call's result) as
// before, and while tracing is on the site of the check that fired is kept and printed,
// naming platform's own file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/kernel.h"
#include "platform/registry.h"
#include "src/make_win32_error.h"
#include "test_support/temp_folder.h"

namespace {

using platform::ErrorTrace;
using platform::ErrorTracing;

bool ends_with(const char* text, std::string_view end)
{
    return text != nullptr && std::string_view(text).ends_with(end);
}

// A sentinel that no call below sets on its own.
constexpr DWORD kUntouched = 0x5A5A;

// Each test starts with tracing on and no site, and gets a registry of its own; the
// environment decides again after.
class PlatformErrorTrace : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_had_config = old != nullptr;
        m_old_config = old != nullptr ? old : "";
        setenv("XDG_CONFIG_HOME", m_folder.path().c_str(), 1);
        ErrorTrace::set_tracing(ErrorTracing::On);
        ErrorTrace::clear_last_site();
    }
    void TearDown() override
    {
        ErrorTrace::clear_last_site();
        ErrorTrace::set_tracing(ErrorTracing::FromEnvironment);
        if (m_had_config)
            setenv("XDG_CONFIG_HOME", m_old_config.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    const test_support::TempFolder m_folder;
    bool m_had_config = false;
    std::string m_old_config;
};

TEST_F(PlatformErrorTrace, MakeWin32ErrorSetsTheLastErrorAndKeepsTheCallersSite)
{
    for (const DWORD code :
         {DWORD{ERROR_INVALID_PARAMETER}, DWORD{ERROR_NOT_ENOUGH_MEMORY}, DWORD{0xFFFFFFFFu}}) {
        SCOPED_TRACE(code);
        SetLastError(kUntouched);
        testing::internal::CaptureStderr();
        const uint32_t line = __LINE__ + 1;
        EXPECT_EQ(platform::make_win32_error(code), code);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(GetLastError(), code);
        const platform::ErrorSite site = ErrorTrace::last_site();
        EXPECT_TRUE(ends_with(site.file, "error_trace_test.cpp")) << site.file;
        EXPECT_EQ(site.line, line);
        EXPECT_EQ(site.code, static_cast<int64_t>(code)) << "printed as the unsigned number it is";
        EXPECT_EQ(printed, std::string(site.file) + ':' + std::to_string(line) + ": " +
                               site.function + ": error " + std::to_string(code) + '\n');
    }
}

TEST_F(PlatformErrorTrace, FailingCallsNameTheirCheck)
{
    HKEY key = nullptr;
    SetLastError(kUntouched);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\missing", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), kUntouched)
        << "the registry returns its error and leaves the last error";
    EXPECT_TRUE(ends_with(ErrorTrace::last_site().file, "platform/src/registry.cpp"))
        << ErrorTrace::last_site().file;
    EXPECT_EQ(ErrorTrace::last_site().code, ERROR_FILE_NOT_FOUND);

    ErrorTrace::clear_last_site();
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(uintptr_t{0x7FFF0})));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(ends_with(ErrorTrace::last_site().file, "platform/src/sync_handles.cpp"))
        << ErrorTrace::last_site().file;
    EXPECT_EQ(ErrorTrace::last_site().code, ERROR_INVALID_HANDLE);
}

TEST_F(PlatformErrorTrace, DamageInARegistryStoreIsTracedAndPassedOver)
{
    m_folder.write("tarvek/registry/current_user",
                   "tarvek-registry 1\nkey software\\a\nthis line is damaged\n");
    HKEY key = nullptr;
    testing::internal::CaptureStderr();
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\a", 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the key before the damage is read";
    const std::string printed = testing::internal::GetCapturedStderr();
    RegCloseKey(key);
    const platform::ErrorSite site = ErrorTrace::last_site();
    EXPECT_TRUE(ends_with(site.file, "platform/src/registry_store.cpp")) << site.file;
    EXPECT_EQ(site.code, 1015) << "ERROR_REGISTRY_CORRUPT";
    EXPECT_NE(printed.find("registry_store.cpp:" + std::to_string(site.line) + ": "),
              std::string::npos)
        << printed;
}

TEST_F(PlatformErrorTrace, TracingOffKeepsAndPrintsNothing)
{
    ErrorTrace::set_tracing(ErrorTracing::Off);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(uintptr_t{0x7FFF0})));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ErrorTrace::last_site().file, nullptr);
}

}
