#include "engine/exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const std::string InitText = "An error occured while initializing the 3D Engine\nReason: ";
const std::string GeneralText = "An error occured in the 3D Engine\nReason: ";
const std::string ModuleText = "The 3D Engine could not link a required module.\n"
                               "Please contact the program ventor to obtain the missing file.\nMissing File: ";
} // namespace

TEST(EngineExceptions, MessagesAreTheFixedTextFollowedByTheReason)
{
    struct Case
    {
        std::string message;
        std::string expected;
    };
    const Case cases[] = {
        {EngineInitException().GetErrorString(), InitText + "Unknown"},
        {EngineInitException(std::string()).GetErrorString(), InitText},
        {EngineInitException("Could not open configuration file").GetErrorString(),
         InitText + "Could not open configuration file"},
        {EngineGeneralException().GetErrorString(), GeneralText + "Unknown"},
        {EngineGeneralException("The system lacks required programmable vertex processing unit support")
             .GetErrorString(),
         GeneralText + "The system lacks required programmable vertex processing unit support"},
        {EngineModuleException().GetErrorString(), ModuleText + "Unknown Module"},
        {EngineModuleException("d3dx8.dll").GetErrorString(), ModuleText + "d3dx8.dll"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, c.expected);
}

TEST(EngineExceptions, CopiesKeepTheReason)
{
    EngineInitException original("Requested ZBuffer depth not available");
    EngineInitException copy(original);
    original.Reason = "changed";
    EXPECT_EQ(copy.Reason, "Requested ZBuffer depth not available");
    EXPECT_EQ(copy.GetErrorString(), InitText + "Requested ZBuffer depth not available");
}

TEST(EngineExceptions, AThrownExceptionReachesOnlyTheHandlerOfItsOwnClass)
{
    std::string reached;
    try
    {
        try
        {
            throw EngineGeneralException(std::string("shader"));
        }
        catch (EngineInitException&)
        {
            reached = "init";
        }
        catch (EngineException&)
        {
            reached = "base";
        }
    }
    catch (EngineGeneralException& e)
    {
        reached = e.GetErrorString();
    }
    EXPECT_EQ(reached, GeneralText + "shader");

    try
    {
        try
        {
            throw EngineInitException(std::string("Could not create Direct3D device"));
        }
        catch (EngineException&)
        {
            reached = "base";
        }
        catch (EngineModuleException&)
        {
            reached = "module";
        }
    }
    catch (const EngineInitException& e)
    {
        reached = e.GetErrorString();
    }
    EXPECT_EQ(reached, InitText + "Could not create Direct3D device");
}
