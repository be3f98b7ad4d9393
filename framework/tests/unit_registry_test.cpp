// The program's unit initialisation and finalisation.

#include "framework/sysutils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

TEST(UnitRegistry, FinalisesInReverseOnceEvenWhenAFinalisationRaises)
{
    std::vector<std::string> log;
    {
        UnitRegistry units;
        units.Add(
            "catalogue", [&] { log.push_back("+catalogue"); },
            [&] { log.push_back("-catalogue"); });
        units.Add("units", nullptr, [&] {
            log.push_back("-units");
            throw Exception(QStringLiteral("broken"));
        });
        units.Add(
            "blender", [&] { log.push_back("+blender"); }, [&] { log.push_back("-blender"); });
        units.InitializeAll();
        testing::internal::CaptureStderr();
        units.FinalizeAll();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Finalization of units failed: broken\n");
    } // the destructor finalises nothing twice
    EXPECT_EQ(log, (std::vector<std::string>{"+catalogue", "+blender", "-blender", "-units",
                                             "-catalogue"}));
}

TEST(UnitRegistry, AFailedInitialisationUndoesTheUnitsBeforeIt)
{
    std::vector<std::string> log;
    UnitRegistry units;
    units.Add(
        "first", [&] { log.push_back("+first"); }, [&] { log.push_back("-first"); });
    units.Add(
        "second", [&] { throw Exception(QStringLiteral("no memory")); },
        [&] { log.push_back("-second"); });
    units.Add(
        "third", [&] { log.push_back("+third"); }, [&] { log.push_back("-third"); });
    EXPECT_THROW(units.InitializeAll(), Exception);
    EXPECT_EQ(log, (std::vector<std::string>{"+first", "-first"}));
}

TEST(UnitRegistry, TheDestructorFinalisesWhatIsLeft)
{
    std::vector<std::string> log;
    {
        UnitRegistry units;
        units.Add("a", nullptr, [&] { log.push_back("-a"); });
        units.Add("b", nullptr, [&] { log.push_back("-b"); });
        units.InitializeAll();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"-b", "-a"}));
}
