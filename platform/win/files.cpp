// Files on POSIX descriptors, synchronous, with the Windows call shapes.

#include "platform/win/win32.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bumped by every write through any handle, so that a read buffer filled
// before a write is dropped instead of handing out what the file held then.
std::atomic<std::uint64_t> writes{0};

// A descriptor, with a read-ahead buffer for a regular file: the file
// formats are read one value per call, and a system call per value made
// reading a scene slow. The descriptor's position runs ahead of the
// handle's by the bytes buffered and not handed out yet; Settle puts it back
// before anything else uses it.
class File
{
public:
    File(int fd, bool buffered) : fd_(fd), buffered_(buffered) {}
    ~File() { ::close(fd_); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    int fd() const { return fd_; }
    std::mutex& mutex() { return mutex_; }

    // Reads until the count is met or the file ends; false on an error.
    bool Read(unsigned char* to, DWORD count, DWORD& done)
    {
        done = 0;
        if (next_ < end_ && generation_ != writes.load())
            Settle();
        while (done < count)
        {
            if (next_ < end_)
            {
                const std::size_t n = std::min<std::size_t>(end_ - next_, count - done);
                std::memcpy(to + done, buffer_.data() + next_, n);
                next_ += n;
                done += static_cast<DWORD>(n);
                continue;
            }
            // A request as large as the buffer goes straight to the caller.
            const bool direct = !buffered_ || count - done >= kBufferSize;
            if (!direct && buffer_.empty())
                buffer_.resize(kBufferSize);
            generation_ = writes.load();
            const ssize_t n = direct ? ::read(fd_, to + done, count - done) : ::read(fd_, buffer_.data(), kBufferSize);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                break;
            if (direct)
                done += static_cast<DWORD>(n);
            else
            {
                next_ = 0;
                end_ = static_cast<std::size_t>(n);
            }
        }
        return true;
    }

    // Drops the buffer and moves the descriptor back to the handle's position.
    void Settle()
    {
        if (next_ < end_)
            ::lseek(fd_, -static_cast<off_t>(end_ - next_), SEEK_CUR);
        next_ = end_ = 0;
    }

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    int fd_;
    bool buffered_;  // only a regular file can seek back over what was read ahead
    std::mutex mutex_;
    std::vector<unsigned char> buffer_;
    std::size_t next_ = 0, end_ = 0;
    std::uint64_t generation_ = 0;
};

// Handles are tokens looked up here, so that a stale or made-up handle is
// refused instead of reaching some other descriptor.
struct FileTable
{
    std::mutex mutex;
    std::map<HANDLE, std::shared_ptr<File>> open;
    std::uintptr_t next = 0x1000;
};

FileTable& Table()
{
    static FileTable* table = new FileTable;
    return *table;
}

std::shared_ptr<File> Lookup(HANDLE h)
{
    FileTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.open.find(h);
    return it == t.open.end() ? nullptr : it->second;
}

int OpenFlags(DWORD access, DWORD disposition, bool& ok)
{
    ok = true;
    int flags = O_CLOEXEC | O_NOCTTY;
    const bool read = access & GENERIC_READ;
    const bool write = access & GENERIC_WRITE;
    if (read && write)
        flags |= O_RDWR;
    else if (write)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;

    switch (disposition)
    {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: ok = false; break;
    }
    // Truncating an existing file asks for the right to write.
    if (disposition == TRUNCATE_EXISTING && !write)
        ok = false;
    return flags;
}

} // namespace

// The share mode has no POSIX counterpart and is not enforced.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPVOID, DWORD creationDisposition, DWORD, HANDLE)
{
    if (!fileName || !*fileName)
        return INVALID_HANDLE_VALUE;
    bool ok = false;
    const int flags = OpenFlags(desiredAccess, creationDisposition, ok);
    if (!ok)
        return INVALID_HANDLE_VALUE;

    int fd;
    do
        fd = ::open(fileName, flags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st{};
    const bool statted = ::fstat(fd, &st) == 0;
    auto file = std::make_shared<File>(fd, statted && S_ISREG(st.st_mode));
    if (flags & (O_WRONLY | O_RDWR))
        ++writes;  // it may have been truncated

    // A directory opens for reading on POSIX; as a file it does not exist.
    if (!statted || S_ISDIR(st.st_mode))
        return INVALID_HANDLE_VALUE;

    FileTable& t = Table();
    std::lock_guard lock(t.mutex);
    HANDLE h = reinterpret_cast<HANDLE>(t.next);
    t.next += 4;
    t.open.emplace(h, std::move(file));
    return h;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPVOID)
{
    if (bytesRead)
        *bytesRead = 0;
    auto f = Lookup(file);
    if (!f || (!buffer && bytesToRead > 0))
        return FALSE;
    // A short count means the end of the file.
    std::lock_guard lock(f->mutex());
    DWORD done = 0;
    const bool ok = f->Read(static_cast<unsigned char*>(buffer), bytesToRead, done);
    if (bytesRead)
        *bytesRead = done;
    return ok ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPVOID)
{
    if (bytesWritten)
        *bytesWritten = 0;
    auto f = Lookup(file);
    if (!f || (!buffer && bytesToWrite > 0))
        return FALSE;
    std::lock_guard lock(f->mutex());
    f->Settle();
    const auto* p = static_cast<const unsigned char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite)
    {
        const ssize_t n = ::write(f->fd(), p + done, bytesToWrite - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
        {
            if (bytesWritten)
                *bytesWritten = done;
            return FALSE;
        }
        done += static_cast<DWORD>(n);
        ++writes;
    }
    if (bytesWritten)
        *bytesWritten = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod)
{
    auto f = Lookup(file);
    if (!f)
        return INVALID_SET_FILE_POINTER;
    int whence;
    switch (moveMethod)
    {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default: return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit number; with one,
    // the two make a signed 64-bit distance.
    std::int64_t offset = distance;
    if (distanceHigh)
        offset = (static_cast<std::int64_t>(*distanceHigh) << 32) | static_cast<DWORD>(distance);

    std::lock_guard lock(f->mutex());
    f->Settle();
    // A position that only a 64-bit answer could hold is refused when the
    // caller asked for 32 bits, and the position stays where it was.
    const off_t here = ::lseek(f->fd(), 0, SEEK_CUR);
    const off_t pos = ::lseek(f->fd(), offset, whence);
    if (pos < 0)
        return INVALID_SET_FILE_POINTER;
    if (!distanceHigh && pos > static_cast<off_t>(0xFFFFFFFE))
    {
        ::lseek(f->fd(), here, SEEK_SET);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(pos) >> 32);
    return static_cast<DWORD>(static_cast<std::uint64_t>(pos) & 0xFFFFFFFF);
}

BOOL CloseHandle(HANDLE object)
{
    FileTable& t = Table();
    std::shared_ptr<File> closing;
    {
        std::lock_guard lock(t.mutex);
        auto it = t.open.find(object);
        if (it == t.open.end())
            return FALSE;
        closing = std::move(it->second);
        t.open.erase(it);
    }
    return TRUE;
}

// A symbolic link is removed itself, never what it points to.
BOOL DeleteFileA(LPCSTR fileName)
{
    if (!fileName || !*fileName)
        return FALSE;
    struct stat st{};
    if (::lstat(fileName, &st) != 0 || S_ISDIR(st.st_mode))
        return FALSE;
    return ::unlink(fileName) == 0;
}
