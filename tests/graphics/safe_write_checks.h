#pragma once
// What both safe writers (the image library's and the Qt one) must do when a save meets what is
// already there: links, permissions, owners, a folder that takes no new file. Each test program
// runs these checks with its own writer. Plain C++, so the image-library tests can use it.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <linux/fs.h>
#include <map>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace safe_write {

namespace fs = std::filesystem;

// A save through one of the writers: the writer writes bytes, then runs during before it
// returns. Answers the message of the writer's own error, "" when the save succeeded; anything
// else that is thrown escapes.
using TSave = std::function<std::string(const fs::path& target, const std::string& bytes,
                                        const std::function<void()>& during)>;

// Thrown by a writer that gives up half-way.
struct TWriterGaveUp {};

// A folder's entries, sub-folders included: a file's bytes, "<folder>", or "-> " and what a
// symbolic link holds, with the folder itself spelled "@" in absolute link targets.
using TEntries = std::map<std::string, std::string>;

inline std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

inline void Make(const fs::path& folder, const TEntries& entries) {
    fs::create_directories(folder);
    // Sorted, so a folder comes before what is in it.
    for (const auto& [name, what] : entries) {
        if (what == "<folder>")
            fs::create_directory(folder / name);
        else if (what.rfind("-> @", 0) == 0)
            fs::create_symlink(folder.string() + what.substr(4), folder / name);
        else if (what.rfind("-> ", 0) == 0)
            fs::create_symlink(what.substr(3), folder / name);
        else
            WriteBytes(folder / name, what);
    }
}

inline TEntries Snapshot(const fs::path& folder) {
    TEntries entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink()) {
            std::string target = fs::read_symlink(entry.path()).string();
            if (target.rfind(folder.string(), 0) == 0)
                target = "@" + target.substr(folder.string().size());
            entries[name] = "-> " + target;
        } else if (entry.is_directory()) {
            entries[name] = "<folder>";
        } else {
            entries[name] = ReadBytes(entry.path());
        }
    }
    return entries;
}

inline struct stat StatOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

struct TLinkCase {
    const char* Why;
    TEntries Before;
    std::string Saved;             // the name the save is given
    std::optional<TEntries> After; // nullopt: refused, nothing changes
};

// Links are followed to the file they end at, each relative link read from its own folder; that
// file is replaced and every link stays as it was.
inline void CheckLinkCases(const TSave& save, const fs::path& work) {
    const std::vector<TLinkCase> cases = {
        {"a plain file", {{"photo.jpg", "old"}}, "photo.jpg", TEntries{{"photo.jpg", "new"}}},
        {"a link beside its file",
         {{"link.jpg", "-> photo.jpg"}, {"photo.jpg", "old"}},
         "link.jpg",
         TEntries{{"link.jpg", "-> photo.jpg"}, {"photo.jpg", "new"}}},
        {"an absolute link",
         {{"link.jpg", "-> @/photo.jpg"}, {"photo.jpg", "old"}},
         "link.jpg",
         TEntries{{"link.jpg", "-> @/photo.jpg"}, {"photo.jpg", "new"}}},
        {"a chain of links",
         {{"a.jpg", "-> b.jpg"},
          {"b.jpg", "-> @/c.jpg"},
          {"c.jpg", "-> photo.jpg"},
          {"photo.jpg", "old"}},
         "a.jpg",
         TEntries{{"a.jpg", "-> b.jpg"},
                  {"b.jpg", "-> @/c.jpg"},
                  {"c.jpg", "-> photo.jpg"},
                  {"photo.jpg", "new"}}},
        {"a link into a folder whose own link is relative to that folder",
         {{"link.jpg", "-> sub/inner.jpg"},
          {"photo.jpg", "top"},
          {"sub", "<folder>"},
          {"sub/inner.jpg", "-> photo.jpg"},
          {"sub/photo.jpg", "old"}},
         "link.jpg",
         TEntries{{"link.jpg", "-> sub/inner.jpg"},
                  {"photo.jpg", "top"},
                  {"sub", "<folder>"},
                  {"sub/inner.jpg", "-> photo.jpg"},
                  {"sub/photo.jpg", "new"}}},
        {"a link in a sub-folder pointing up",
         {{"photo.jpg", "old"}, {"sub", "<folder>"}, {"sub/link.jpg", "-> ../photo.jpg"}},
         "sub/link.jpg",
         TEntries{{"photo.jpg", "new"}, {"sub", "<folder>"}, {"sub/link.jpg", "-> ../photo.jpg"}}},
        {"a link to a file not made yet",
         {{"link.jpg", "-> photo.jpg"}},
         "link.jpg",
         TEntries{{"link.jpg", "-> photo.jpg"}, {"photo.jpg", "new"}}},
        {"a loop of links", {{"a.jpg", "-> b.jpg"}, {"b.jpg", "-> a.jpg"}}, "a.jpg", std::nullopt},
    };
    int number = 0;
    for (const TLinkCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const fs::path folder = work / ("links" + std::to_string(++number));
        Make(folder, c.Before);
        const fs::path target = folder / c.Saved;
        EXPECT_EQ(save(target, "new", [] {}), c.After ? ""
                                                      : "Cannot create file \"" + target.string() +
                                                            "\". " + std::strerror(ELOOP));
        EXPECT_EQ(Snapshot(folder), c.After.value_or(c.Before));
    }
}

struct TModeCase {
    const char* Why;
    mode_t Mode;
    bool RefusedForOwner; // an ordinary user saving a file of their own
    bool RefusedForRoot;  // root may write anything: only a file without write bits is refused
};

// A saved file keeps its mode; a file the user may not write is refused as a write in place
// would refuse it, and stays as it was.
inline void CheckModeCases(const TSave& save, const fs::path& work) {
    const TModeCase cases[] = {
        {"the usual mode", 0644, false, false},
        {"a private file", 0600, false, false},
        {"a program with set-id bits", 06755, false, false},
        {"write-only", 0200, false, false},
        {"read-only", 0444, true, true},
        {"no access at all", 0000, true, true},
        {"only others may write", 0466, true, false},
    };
    const bool root = ::geteuid() == 0;
    int number = 0;
    for (const TModeCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const fs::path folder = work / ("modes" + std::to_string(++number));
        Make(folder, {{"photo.jpg", "old"}});
        const fs::path target = folder / "photo.jpg";
        ASSERT_EQ(::chmod(target.c_str(), c.Mode), 0);
        const bool refused = root ? c.RefusedForRoot : c.RefusedForOwner;
        EXPECT_EQ(save(target, "new", [] {}),
                  refused ? "Cannot create file \"" + target.string() + "\". Permission denied"
                          : "");
        EXPECT_EQ(StatOf(target).st_mode & 07777, c.Mode);
        ::chmod(target.c_str(), 0600); // an ordinary user reads it back
        EXPECT_EQ(Snapshot(folder), (TEntries{{"photo.jpg", refused ? "old" : "new"}}));
    }
}

// The owner and group of a saved file stay: root can give the old file any; an ordinary user
// only a group of their own other than the one a new file gets.
inline void CheckOwnershipKept(const TSave& save, const fs::path& work) {
    uid_t owner = ::geteuid();
    gid_t group = 65534;
    if (owner == 0) {
        owner = 65534;
    } else {
        std::vector<gid_t> groups(static_cast<size_t>(::getgroups(0, nullptr)));
        groups.resize(
            static_cast<size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
        std::erase(groups, ::getegid());
        if (groups.empty()) GTEST_SKIP() << "the user belongs to no second group";
        group = groups.front();
    }
    const fs::path target = work / "owned.jpg";
    WriteBytes(target, "old");
    ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
    ASSERT_EQ(::chmod(target.c_str(), 02664), 0);
    EXPECT_EQ(save(target, "new", [] {}), "");
    EXPECT_EQ(ReadBytes(target), "new");
    const struct stat st = StatOf(target);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(st.st_mode & 07777, 02664u);
}

// Takes away the right to change a folder's entries or a file's bytes, as a read-only folder or
// file does for an ordinary user. Root ignores modes, so for root the immutable attribute does
// it. Undone when the object goes, so the folders can be removed.
class TReadOnly {
public:
    TReadOnly() = default;
    TReadOnly(const TReadOnly&) = delete;
    TReadOnly& operator=(const TReadOnly&) = delete;
    ~TReadOnly() {
        for (auto it = FDone.rbegin(); it != FDone.rend(); ++it) {
            SetImmutable(it->first, false);
            ::chmod(it->first.c_str(), it->second);
        }
    }

    // The error a change now meets, 0 when it still succeeds (the file system cannot take it
    // away).
    int Folder(const fs::path& folder) {
        Take(folder);
        std::string probe = (folder / "probe.XXXXXX").string();
        const int fd = ::mkstemp(probe.data());
        if (fd < 0) return errno;
        ::close(fd);
        ::unlink(probe.c_str());
        return 0;
    }
    int File(const fs::path& file) {
        Take(file);
        const int fd = ::open(file.c_str(), O_WRONLY);
        if (fd < 0) return errno;
        ::close(fd);
        return 0;
    }

private:
    void Take(const fs::path& path) {
        const mode_t mode = StatOf(path).st_mode & 07777;
        FDone.emplace_back(path, mode);
        ::chmod(path.c_str(), mode & ~0222);
        if (::geteuid() == 0) SetImmutable(path, true);
    }
    static void SetImmutable(const fs::path& path, bool on) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

    std::vector<std::pair<fs::path, mode_t>> FDone;
};

enum class TFolderOutcome { Saved, NotCreated, WriterGaveUp, CopyFailed };

struct TFolderCase {
    const char* Why;
    std::string Saved; // in the work folder; "ro/" is the folder that takes no new file
    TFolderOutcome Outcome;
};

// A writable file in a folder that cannot hold a temporary file is written whole in the private
// fallback folder first and then copied over the file in place. Nothing is left behind in the
// fallback folder unless that copy fails: then the new file stays there and the message says
// where.
inline void CheckReadOnlyFolder(const TSave& save, const fs::path& work, const fs::path& fallback) {
    const TFolderCase cases[] = {
        {"a writable file", "ro/photo.jpg", TFolderOutcome::Saved},
        {"a link to it from a writable folder", "link.jpg", TFolderOutcome::Saved},
        {"a new file", "ro/new.jpg", TFolderOutcome::NotCreated},
        {"a writer that gives up", "ro/photo.jpg", TFolderOutcome::WriterGaveUp},
        {"a file that cannot be written when the copy begins", "ro/photo.jpg",
         TFolderOutcome::CopyFailed},
    };
    int number = 0;
    for (const TFolderCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const fs::path folder = work / ("folder" + std::to_string(++number));
        // Longer than the new bytes, so a copy in place must cut it.
        const std::string oldBytes = "the old picture";
        Make(folder,
             {{"link.jpg", "-> ro/photo.jpg"}, {"ro", "<folder>"}, {"ro/photo.jpg", oldBytes}});
        const fs::path photo = folder / "ro/photo.jpg";
        ::chmod(photo.c_str(), 0640);
        const ino_t inode = StatOf(photo).st_ino;
        TReadOnly readOnly;
        const int refusal = readOnly.Folder(folder / "ro");
        if (refusal == 0) GTEST_SKIP() << "this file system cannot make a folder read-only";
        const fs::path target = folder / c.Saved;

        int copyRefusal = 0;
        std::string error;
        switch (c.Outcome) {
        case TFolderOutcome::Saved:
        case TFolderOutcome::NotCreated:
            error = save(target, "new", [] {});
            break;
        case TFolderOutcome::WriterGaveUp:
            EXPECT_THROW(save(target, "half", [] { throw TWriterGaveUp(); }), TWriterGaveUp);
            break;
        case TFolderOutcome::CopyFailed:
            error = save(target, "new", [&] { copyRefusal = readOnly.File(photo); });
            ASSERT_NE(copyRefusal, 0) << "this file system cannot make a file read-only";
            break;
        }

        const TEntries fallbackEntries = Snapshot(fallback);
        const bool saved = c.Outcome == TFolderOutcome::Saved;
        EXPECT_EQ(ReadBytes(photo), saved ? "new" : oldBytes);
        EXPECT_EQ(StatOf(photo).st_ino, inode) << "the file is written in place";
        EXPECT_EQ(StatOf(photo).st_mode & 0777,
                  c.Outcome == TFolderOutcome::CopyFailed ? 0440u : 0640u);
        EXPECT_TRUE(fs::is_symlink(folder / "link.jpg"));
        if (c.Outcome != TFolderOutcome::CopyFailed) {
            EXPECT_EQ(fallbackEntries, TEntries{});
            EXPECT_EQ(error, c.Outcome == TFolderOutcome::NotCreated
                                 ? "Cannot create file \"" + target.string() + "\". " +
                                       std::strerror(refusal)
                                 : "");
            continue;
        }
        ASSERT_EQ(fallbackEntries.size(), 1u);
        const fs::path kept = fallback / fallbackEntries.begin()->first;
        EXPECT_EQ(fallbackEntries.begin()->second, "new");
        EXPECT_EQ(error, "Cannot write file \"" + target.string() + "\". " +
                             std::strerror(copyRefusal) + ". The complete new file is kept as \"" +
                             kept.string() + "\".");
        fs::remove(kept);
    }
}

} // namespace safe_write
