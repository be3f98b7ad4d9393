// Test support for the GDI tests: the memory surface (memory_surface.h), selected
// objects and the recording DC's log.
#ifndef PLATFORM_TESTS_GDI_TEST_SUPPORT_H
#define PLATFORM_TESTS_GDI_TEST_SUPPORT_H

#include "memory_surface.h"
#include "platform/gdi.h"
#include "platform/gdi_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace gdi_test {

// A pen (or any object) selected for the life of the scope, then put back and deleted.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object), m_old(SelectObject(dc, object)) {}
    ~Selected()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_object);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old;
};

inline std::string recording_log(HDC dc)
{
    std::string log(platform_recording_dc_log(dc, nullptr, 0), '\0');
    platform_recording_dc_log(dc, log.data(), log.size() + 1);
    return log;
}

}

#endif
