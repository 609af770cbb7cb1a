#pragma once

// The engine's exceptions: thrown by value when the engine cannot go on, each
// carrying a reason that GetErrorString puts behind a fixed text of its class.

#include <string>

// The common part of the family. It is a private base of every concrete class,
// so a handler for one class never catches another and nothing can be caught
// as an EngineException.
class EngineException
{
public:
    std::string Reason;

    virtual std::string GetErrorString() const = 0;

protected:
    EngineException() = default;
    EngineException(const EngineException&) = default;
    EngineException& operator=(const EngineException&) = default;
    // Not virtual: the base is private, so nobody deletes through it.
    ~EngineException() = default;
};

class EngineInitException : private EngineException
{
public:
    using EngineException::Reason;

    EngineInitException();
    EngineInitException(std::string reason);
    EngineInitException(const EngineInitException&) = default;

    std::string GetErrorString() const override;
};

class EngineGeneralException : private EngineException
{
public:
    using EngineException::Reason;

    EngineGeneralException();
    EngineGeneralException(std::string reason);
    EngineGeneralException(const EngineGeneralException&) = default;

    std::string GetErrorString() const override;
};

// Names a file the engine could not find.
class EngineModuleException : private EngineException
{
public:
    using EngineException::Reason;

    EngineModuleException();
    EngineModuleException(std::string reason);
    EngineModuleException(const EngineModuleException&) = default;

    std::string GetErrorString() const override;
};
