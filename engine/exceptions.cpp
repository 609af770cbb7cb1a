#include "engine/exceptions.h"

#include <utility>

EngineInitException::EngineInitException()
{
    Reason = "Unknown";
}

EngineInitException::EngineInitException(std::string reason)
{
    Reason = std::move(reason);
}

std::string EngineInitException::GetErrorString() const
{
    return "An error occured while initializing the 3D Engine\nReason: " + Reason;
}

EngineGeneralException::EngineGeneralException()
{
    Reason = "Unknown";
}

EngineGeneralException::EngineGeneralException(std::string reason)
{
    Reason = std::move(reason);
}

std::string EngineGeneralException::GetErrorString() const
{
    return "An error occured in the 3D Engine\nReason: " + Reason;
}

EngineModuleException::EngineModuleException()
{
    Reason = "Unknown Module";
}

EngineModuleException::EngineModuleException(std::string reason)
{
    Reason = std::move(reason);
}

std::string EngineModuleException::GetErrorString() const
{
    return std::string("The 3D Engine could not link a required module.\n") +
           "Please contact the program ventor to obtain the missing file.\nMissing File: " + Reason;
}
