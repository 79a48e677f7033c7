#include "cli/rename_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "exif/stamp_name.h"

namespace velmo::cli {

namespace {

std::string json_text(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;  // other bytes as they are: a file name need not be UTF-8
        }
    }
    return out + "\"";
}

void append_utf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A JSON text reader over one line, just big enough for the journal's objects.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) { }

    bool take(char c)
    {
        skip_blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool at_end()
    {
        skip_blanks();
        return at_ == text_.size();
    }
    bool string(std::string& out)
    {
        out.clear();
        if (!take('"'))
            return false;
        while (at_ < text_.size()) {
            char c = text_[at_++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ == text_.size())
                return false;
            switch (char e = text_[at_++]) {
            case '"':
            case '\\':
            case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t code = 0;
                if (!hex4(code))
                    return false;
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low = 0;
                    if (!take_exact("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                append_utf8(out, code);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

private:
    void skip_blanks()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r'))
            ++at_;
    }
    bool take_exact(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }
    bool hex4(uint32_t& value)
    {
        if (at_ + 4 > text_.size())
            return false;
        for (int i = 0; i < 4; ++i) {
            char c = text_[at_++];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
};

[[noreturn]] void fail(const std::string& path, const char* what)
{
    throw std::system_error(errno, std::generic_category(), path + ": " + what);
}

void write_all(int fd, std::string_view bytes, const std::string& path)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(path, "cannot write the journal");
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

RenameJournal::RenameJournal(const std::string& path) : path_(path)
{
    bool fresh = !exists(path);
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        fail(path, "cannot write the journal");
    try {
        struct stat info {};
        if (::fstat(fd_, &info) != 0)
            fail(path, "cannot write the journal");
        if (!S_ISREG(info.st_mode)) {
            errno = EINVAL;
            fail(path, "the journal is not a regular file");
        }
        before_last_ = info.st_size;
        // A line cut off by a run killed while writing it stays alone on its line.
        char last = '\n';
        if (info.st_size > 0 && ::pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n')
            write_all(fd_, "\n", path_);
        sync();
    } catch (...) {
        ::close(fd_);
        throw;
    }
    if (fresh) {
        // The journal's own name must outlast a crash as well as its lines.
        std::string folder = std::filesystem::absolute(path).parent_path().string();
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}

RenameJournal::~RenameJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void RenameJournal::sync() const
{
    if (::fdatasync(fd_) != 0 && errno != EINVAL)
        fail(path_, "cannot write the journal");
}

void RenameJournal::record(const std::string& from, const std::string& to)
{
    JournalEntry entry { std::filesystem::absolute(from).lexically_normal().string(), std::filesystem::absolute(to).lexically_normal().string() };
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        fail(path_, "cannot write the journal");
    before_last_ = info.st_size;
    write_all(fd_, journal_line(entry) + "\n", path_);
    sync();
}

void RenameJournal::retract()
{
    if (::ftruncate(fd_, before_last_) != 0)
        fail(path_, "cannot write the journal");
    sync();
}

std::string journal_line(const JournalEntry& entry) { return "{\"from\": " + json_text(entry.from) + ", \"to\": " + json_text(entry.to) + "}"; }

bool parse_journal_line(const std::string& line, JournalEntry& entry)
{
    LineReader reader(line);
    if (!reader.take('{'))
        return false;
    bool has_from = false, has_to = false;
    std::string key, value;
    do {
        if (!reader.string(key) || !reader.take(':') || !reader.string(value))
            return false;
        if (key == "from") {
            entry.from = value;
            has_from = true;
        } else if (key == "to") {
            entry.to = value;
            has_to = true;
        }
    } while (reader.take(','));
    return reader.take('}') && reader.at_end() && has_from && has_to && !entry.from.empty() && !entry.to.empty();
}

int undo_journal(const std::string& path, std::ostream& out, std::ostream& err)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "velmo: " << path << ": cannot read the journal: " << std::strerror(errno) << "\n";
        return 1;
    }
    std::vector<JournalEntry> entries;
    std::string line;
    size_t number = 0;
    bool failed = false;
    while (std::getline(in, line)) {
        ++number;
        bool last_line_cut_off = in.eof();
        JournalEntry entry;
        if (parse_journal_line(line, entry)) {
            entries.push_back(std::move(entry));
        } else if (!line.empty() && !last_line_cut_off) {
            // A cut-off last line is a run killed while writing it: its rename never happened.
            err << "velmo: " << path << ":" << number << ": not a journal line\n";
            failed = true;
        }
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const JournalEntry& entry = *it;
        if (!exists(entry.to)) {
            if (!exists(entry.from)) {
                err << "velmo: cannot put back " << entry.from << ": neither it nor " << entry.to << " exists\n";
                failed = true;
            }
            continue;  // never renamed, or put back already
        }
        switch (exif::rename_without_replacing(entry.to, entry.from)) {
        case exif::RenameOutcome::Renamed: out << entry.to << " -> " << entry.from << "\n"; break;
        case exif::RenameOutcome::TargetExists:
            err << "velmo: cannot put back " << entry.to << ": " << entry.from << " exists\n";
            failed = true;
            break;
        default:
            err << "velmo: cannot put back " << entry.to << " as " << entry.from << ": " << std::strerror(errno) << "\n";
            failed = true;
        }
    }
    out.flush();
    return failed ? 1 : 0;
}

}  // namespace velmo::cli
