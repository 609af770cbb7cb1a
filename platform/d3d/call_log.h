#pragma once

// A record of the calls a device received, for tests that assert what an
// operation sent to the device and in which order. Off until enabled.

#include <string>
#include <vector>

#include "platform/d3d/d3d8.h"

namespace go3d::d3d {

struct CallRecord
{
    std::string method;
    std::string args;  // the arguments, comma separated, as the call gave them

    std::string Text() const { return method + "(" + args + ")"; }
};

class CallLog
{
public:
    void Enable(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }
    void Clear() { records_.clear(); }
    const std::vector<CallRecord>& Records() const { return records_; }
    // "Method(args)" per call, in order.
    std::vector<std::string> Texts() const;
    // Method names only, in order.
    std::vector<std::string> Methods() const;

    void Add(const char* method, std::string args) { records_.push_back({method, std::move(args)}); }

private:
    bool enabled_ = false;
    std::vector<CallRecord> records_;
};

// Formatting of the argument kinds the interfaces take.
std::string FormatArg(unsigned long long v);
std::string FormatArg(long long v);
std::string FormatArg(double v);
std::string FormatArg(const void* p);
std::string FormatArg(const D3DMATRIX* m);
std::string FormatArg(const D3DVIEWPORT8* v);
std::string FormatArg(const D3DMATERIAL8* m);
std::string FormatArg(const D3DLIGHT8* l);

template <typename T>
std::string FormatOne(const T& v)
{
    if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
        return FormatArg(static_cast<double>(v));
    else if constexpr (std::is_pointer_v<T>)
    {
        using P = std::remove_cv_t<std::remove_pointer_t<T>>;
        if constexpr (std::is_same_v<P, D3DMATRIX> || std::is_same_v<P, D3DVIEWPORT8> ||
                      std::is_same_v<P, D3DMATERIAL8> || std::is_same_v<P, D3DLIGHT8>)
            return FormatArg(static_cast<const P*>(v));
        else
            return FormatArg(static_cast<const void*>(v));
    }
    else if constexpr (std::is_signed_v<T>)
        return FormatArg(static_cast<long long>(v));
    else
        return FormatArg(static_cast<unsigned long long>(v));
}

template <typename... A>
std::string FormatArgs(const A&... args)
{
    std::string out;
    ((out += (out.empty() ? "" : ", ") + FormatOne(args)), ...);
    return out;
}

}  // namespace go3d::d3d

// The call log of a device made by the layer; null for any other device.
go3d::d3d::CallLog* GetDeviceCallLog(IDirect3DDevice8* device);
