#include "cli/exif_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>

#include "cli/batch.h"
#include "cli/rename_journal.h"
#include "cli/rename_plan.h"
#include "exif/catalogue.h"
#include "exif/jpg_tags.h"
#include "exif/number_text.h"
#include "exif/stamp_name.h"

namespace velmo::cli {

namespace {

using exif::clsKxLumoJPGTagsA;

constexpr size_t progress_from_files = 50;

std::shared_ptr<clsKxLumoJPGTagsA> make_reader(const std::string& ini)
{
    auto reader = std::make_shared<clsKxLumoJPGTagsA>();
    if (!ini.empty())
        reader->use_profile(ini);
    return reader;
}

// Why a path the reader calls "File not found." cannot be read, when it is not simply missing: a
// FIFO or device, a name too long, a folder that may not be entered. Empty when there is none.
std::string not_found_reason(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? "" : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "";  // told apart by the commands that read files
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    return ::access(path.c_str(), R_OK) != 0 ? std::strerror(errno) : "";
}

void report(Console& console, const std::string& path, const Error& error)
{
    console.err << "velmo: " << path << ": error " << error.number() << " (" << error.source() << "): " << error.description();
    // The reader's "File not found." stands for every file it cannot read.
    if (error.description() == "File not found.") {
        if (std::string reason = not_found_reason(path); !reason.empty())
            console.err << " (" << reason << ")";
    }
    console.err << "\n";
}

// The reason a folder refuses to have a file in it renamed, or "" when it allows it.
std::string folder_refuses_renames(const std::string& file)
{
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty())
        folder = ".";
    return ::access(folder.c_str(), W_OK | X_OK) != 0 ? std::strerror(errno) : "";
}

bool is_jpeg_name(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg";
}

bool is_folder(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// The files to read: the paths as given, and with recursive the JPEG files under each folder,
// in name order. (Without recursive a folder stays in the list, and reads as no EXIF file.)
std::vector<std::string> files_to_read(const std::vector<std::string>& paths, bool recursive)
{
    std::vector<std::string> files;
    for (const auto& path : paths) {
        std::error_code ec;
        if (!recursive || !std::filesystem::is_directory(path, ec)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> found;
        for (auto it = std::filesystem::recursive_directory_iterator(path, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_regular_file(ec) && is_jpeg_name(it->path()))
                found.push_back(it->path().string());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

// A one-line counter on a terminal's standard error, for long batches whose output goes elsewhere.
class Progress {
public:
    Progress(Console& console, size_t total)
        : console_(console), total_(total), shown_(console.err_is_terminal && !console.out_is_terminal && total >= progress_from_files)
    {
    }
    ~Progress() { clear(); }
    void step(size_t done)
    {
        if (shown_ && (done % 25 == 0 || done == total_))
            console_.err << "\r[" << done << "/" << total_ << "]" << std::flush;
    }
    // Clears the counter's line, before a message takes it.
    void clear()
    {
        if (shown_)
            console_.err << "\r\033[K" << std::flush;
    }

private:
    Console& console_;
    size_t total_;
    bool shown_;
};

std::string json_string(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string json_record(const exif::TagRecord& record)
{
    return "{\"ID\":" + std::to_string(record.id) + ",\"Name\":" + json_string(record.name()) + ",\"Format\":" + std::to_string(record.format)
        + ",\"Length\":" + std::to_string(record.length) + ",\"Data\":" + (record.data ? exif::decimal_text(*record.data) : "null")
        + ",\"StringData\":" + json_string(record.string_data) + "}";
}

// Text for a terminal: control bytes other than line feed and tab, which a crafted file could use to
// move the cursor, recolour or retitle the terminal, are shown as \xNN instead.
std::string visible_on_terminal(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

// One file's block of `velmo tags`; the error when the file failed.
std::optional<Error> list_one(clsKxLumoJPGTagsA& reader, const std::string& path, bool json, bool to_terminal, std::string& block)
{
    try {
        reader.read_file(path);
        if (json) {
            block = "{\"path\":" + json_string(path);
            if (reader.reader().result() == exif::ReadResult::NotExif) {
                block += ",\"exif\":false,\"records\":[]}\n";
                return std::nullopt;
            }
            block += ",\"exif\":true,\"records\":[";
            const auto& records = *reader.reader().records();
            for (size_t i = 0; i < records.size(); ++i)
                block += (i ? "," : "") + json_record(records[i]);
            block += "]}\n";
            return std::nullopt;
        }
        block = reader.list_info(true);
        if (reader.reader().result() == exif::ReadResult::NotExif)
            block += "\r\n";
        if (to_terminal) {
            std::erase(block, '\r');
            block = visible_on_terminal(block);
        }
        return std::nullopt;
    } catch (const Error& error) {
        if (json) {
            block = "{\"path\":" + json_string(path) + ",\"error\":{\"number\":" + std::to_string(error.number()) + ",\"source\":"
                + json_string(error.source()) + ",\"description\":" + json_string(error.description()) + "}}\n";
        }
        return error;
    }
}

// A tag given by catalogue name (letter case ignored) or by number.
std::optional<int32_t> tag_number(const std::string& text)
{
    for (const auto& entry : exif::catalogue) {
        if (equals_ignoring_case(entry.name, text))
            return entry.tag;
    }
    try {
        size_t used = 0;
        bool hexadecimal = text.starts_with("0x") || text.starts_with("0X");
        long long value = std::stoll(text, &used, hexadecimal ? 16 : 10);
        if (used == text.size() && value >= INT32_MIN && value <= INT32_MAX)
            return static_cast<int32_t>(value);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

Console standard_console()
{
    return Console { std::cout, std::cerr, isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1 };
}

}  // namespace

int run_tags(const TagsOptions& options, Console& console)
{
    bool failed = false;
    auto files = files_to_read(options.paths, options.recursive);
    const unsigned jobs = options.jobs ? options.jobs : default_jobs();
    std::vector<std::shared_ptr<clsKxLumoJPGTagsA>> readers;  // one per worker: a reader is not shared
    for (unsigned worker = 0; worker < std::min<size_t>(jobs, std::max<size_t>(files.size(), 1)); ++worker)
        readers.push_back(make_reader(options.ini));
    const bool headers = files.size() > 1 && !options.json;
    Progress progress(console, files.size());

    struct Listed {
        std::string block;
        std::optional<Error> error;
        bool folder = false;
    };
    std::vector<Listed> listed(files.size());
    auto work = [&](size_t i, unsigned worker) {
        auto& reader = *readers[worker];
        Listed& one = listed[i];
        one.error = list_one(reader, files[i], options.json, console.out_is_terminal, one.block);
        // Known only now, so that a file list costs no look at each path beforehand.
        one.folder = !one.error && reader.reader().result() == exif::ReadResult::NotExif && is_folder(files[i]);
    };
    auto emit = [&](size_t i) {
        Listed one = std::move(listed[i]);
        if (one.error) {
            progress.clear();
            report(console, files[i], *one.error);
            failed = true;
        } else if (one.folder) {
            progress.clear();
            console.err << "velmo: " << files[i] << ": is a folder (use -r to read the JPEG files in it)\n";
            failed = true;
            progress.step(i + 1);
            return;
        }
        if (headers && !one.error)
            console.out << (i ? "\n" : "") << "==> " << files[i] << " <==\n";
        console.out << one.block;
        progress.step(i + 1);
    };
    run_in_order(files.size(), jobs, work, emit);
    console.out.flush();
    return failed ? 1 : 0;
}

int run_tag(const TagOptions& options, Console& console)
{
    auto id = tag_number(options.tag);
    if (!id) {
        console.err << "velmo: " << options.tag << ": not a tag name or number\n";
        return 1;
    }
    auto reader = make_reader(options.ini);
    try {
        reader->read_file(options.path);
        std::string text;
        Long result = reader->meta_info(*id, text);
        console.out << (console.out_is_terminal ? visible_on_terminal(text) : text) << "\n" << result.value() << "\n";
        return 0;
    } catch (const Error& error) {
        report(console, options.path, error);
        return 1;
    }
}

namespace {

// The usage mistakes of rename, as one line; "" when the options fit together.
std::string rename_usage_error(const RenameOptions& options)
{
    if (!options.undo.empty()) {
        if (!options.paths.empty() || !options.journal.empty() || options.sequence || !options.shift.empty() || options.dry_run)
            return "--undo takes a journal and nothing else";
        return "";
    }
    if (options.paths.empty())
        return "rename needs JPEG files, or --undo JOURNAL";
    if (!options.shift.empty() && !parse_shift(options.shift))
        return "--shift " + options.shift + ": not a shift of the form [+|-]H:MM[:SS]";
    return "";
}

}  // namespace

int run_rename(const RenameOptions& options, Console& console)
{
    if (auto usage = rename_usage_error(options); !usage.empty()) {
        console.err << "velmo: " << usage << "\n";
        return 1;
    }
    if (!options.undo.empty())
        return undo_journal(options.undo, console.out, console.err);
    const int64_t shift = options.shift.empty() ? 0 : *parse_shift(options.shift);
    std::optional<RenameJournal> journal;
    if (!options.journal.empty() && !options.dry_run) {
        try {
            journal.emplace(options.journal);
        } catch (const std::system_error& error) {
            console.err << "velmo: " << error.what() << "\n";
            return 1;
        }
    }

    const unsigned jobs = options.jobs ? options.jobs : default_jobs();
    std::vector<std::shared_ptr<clsKxLumoJPGTagsA>> readers;  // one per worker: a reader is not shared
    for (unsigned worker = 0; worker < std::min<size_t>(jobs, options.paths.size()); ++worker)
        readers.push_back(make_reader(options.ini));
    bool failed = false;
    Progress progress(console, options.paths.size());
    // First every file's time stamp, read on the workers, since numbering a second needs all of
    // its shots; what went wrong with a file is told in its turn below. The renames themselves are
    // made on this thread in the order named, so the first file to want a name gets it.
    std::vector<Shot> shots(options.paths.size());
    std::vector<std::string> problems(options.paths.size());  // per file: the line that skips it, or ""
    auto work = [&](size_t i, unsigned worker) {
        auto& reader = *readers[worker];
        const std::string& path = options.paths[i];
        Shot& shot = shots[i];
        shot.path = path;
        std::string& problem = problems[i];
        try {
            reader.read_file(path);
            if (reader.reader().result() == exif::ReadResult::NotExif) {
                problem = "velmo: skipped " + path + ": not in EXIF format\n";
                return;
            }
            reader.list_info(false);
            shot.stem = reader.stamp_stem();
            if (shift != 0)
                shot.stem = shifted_stem(shot.stem, shift);
            if (options.sequence) {
                for (const auto& record : *reader.reader().records()) {
                    if (record.id == exif::tag::SubsecTimeOriginal) {
                        shot.subsecond = subsecond(record.string_data);
                        break;
                    }
                }
            }
        } catch (const Error& error) {
            std::ostringstream line;
            Console to_line { line, line };
            report(to_line, path, error);
            problem = line.str();
        }
    };
    run_in_order(options.paths.size(), jobs, work, [&](size_t i) { progress.step(i + 1); });

    std::vector<unsigned> numbers(shots.size(), 1);
    if (options.sequence) {
        std::vector<Shot> stamped = shots;
        for (size_t i = 0; i < stamped.size(); ++i) {
            if (!problems[i].empty() || !exif::is_real_moment(stamped[i].stem))
                stamped[i].stem.clear();
        }
        numbers = sequence_numbers(stamped, held_on_disk_by_other);
    }

    for (size_t i = 0; i < shots.size(); ++i) {
        if (!problems[i].empty()) {
            progress.clear();
            console.err << problems[i];
            failed = true;
            continue;
        }
        const std::string& path = shots[i].path;
        const std::string& stem = shots[i].stem;
        // A real run without a journal goes straight to the rename, which refuses to replace by
        // itself. The look first is for a dry run, and for the journal, whose line is written only
        // for a rename about to happen.
        const bool look_first = options.dry_run || journal;
        auto outcome = look_first ? exif::rename_to_stem(path, stem, exif::RenameMode::DryRun, numbers[i]) : exif::RenameOutcome::WouldRename;
        std::string target = exif::stamp_target(path, stem, numbers[i]);
        std::string reason;  // why a rename failed, when the system said
        if (outcome == exif::RenameOutcome::WouldRename && options.dry_run) {
            // A dry run promises only what the real run can do.
            reason = folder_refuses_renames(path);
            if (!reason.empty())
                outcome = exif::RenameOutcome::Failed;
        }
        if (outcome == exif::RenameOutcome::WouldRename && !options.dry_run) {
            try {
                if (journal)
                    journal->record(path, target);
                errno = 0;
                outcome = exif::rename_to_stem(path, stem, exif::RenameMode::Apply, numbers[i]);
                if (outcome == exif::RenameOutcome::Failed && errno != 0)
                    reason = std::strerror(errno);
                if (journal && outcome != exif::RenameOutcome::Renamed)
                    journal->retract();
            } catch (const std::system_error& error) {
                // Without its line on disk no rename may happen: stop here.
                progress.clear();
                console.err << "velmo: " << error.what() << "\n";
                return 1;
            }
        }
        switch (outcome) {
        case exif::RenameOutcome::Renamed:
        case exif::RenameOutcome::WouldRename:
            console.out << path << " -> " << target << "\n";
            break;
        case exif::RenameOutcome::AlreadyNamed:
            progress.clear();
            console.err << "velmo: skipped " << path << ": " << exif::describe(outcome) << "\n";
            break;
        default:
            progress.clear();
            console.err << "velmo: skipped " << path << ": " << exif::describe(outcome) << (reason.empty() ? "" : " (" + reason + ")") << "\n";
            failed = true;
        }
    }
    console.out.flush();
    return failed ? 1 : 0;
}

void add_exif_commands(CLI::App& app)
{
    auto tags = std::make_shared<TagsOptions>();
    auto* tags_command = app.add_subcommand("tags", "List the EXIF tags of JPEG files, one \"Name: value\" line per tag");
    tags_command->add_option("paths", tags->paths, "JPEG files (folders with -r)")->required();
    tags_command->add_flag("--json", tags->json, "One JSON object per file with every record");
    tags_command->add_flag("-r,--recursive", tags->recursive, "Read the .jpg and .jpeg files under each folder");
    tags_command->add_option("--ini", tags->ini, "Display overrides from this exif.ini instead of the one beside the library")
        ->check(CLI::ExistingFile);
    tags_command->add_option("-j,--jobs", tags->jobs, "Files read at once (default: one per core); the output is the same for any number")
        ->check(CLI::PositiveNumber);
    tags_command->callback([tags] {
        Console console = standard_console();
        if (int code = run_tags(*tags, console))
            throw CLI::RuntimeError(code);
    });

    auto tag = std::make_shared<TagOptions>();
    auto* tag_command = app.add_subcommand("tag", "Print one tag's display text and its number");
    tag_command->add_option("path", tag->path, "JPEG file")->required();
    tag_command->add_option("tag", tag->tag, "Tag name (such as Orientation) or number (274, 0x112)")->required();
    tag_command->add_option("--ini", tag->ini, "Display overrides from this exif.ini")->check(CLI::ExistingFile);
    tag_command->callback([tag] {
        Console console = standard_console();
        if (int code = run_tag(*tag, console))
            throw CLI::RuntimeError(code);
    });

    auto rename = std::make_shared<RenameOptions>();
    auto* rename_command = app.add_subcommand("rename",
        "Rename JPEG files after their capture time: DDMMYYYY_HHMMSS.jpg in the same folder.\n"
        "An existing file is never replaced; a file whose name is taken is skipped (or numbered with --sequence).");
    rename_command->add_option("paths", rename->paths, "JPEG files");
    rename_command->add_flag("--dry-run", rename->dry_run, "Show what would be renamed, rename nothing (and write no journal)");
    rename_command->add_option("--journal", rename->journal,
        "Append {\"from\": OLD, \"to\": NEW} (absolute paths) to this file, on disk before each rename; "
        "when it cannot be written nothing is renamed")
        ->type_name("FILE");
    rename_command->add_option("--undo", rename->undo,
        "Put back the renames of this journal, last first, never replacing a file; files that cannot go back are named "
        "on standard error and the exit code is 1")
        ->type_name("FILE");
    rename_command->add_flag("--sequence", rename->sequence,
        "Number the shots of one second instead of skipping them: the first keeps DDMMYYYY_HHMMSS.jpg, the later ones "
        "(by SubsecTimeOriginal, then command-line order) become _2, _3 ...; names taken on disk are passed over");
    rename_command->add_option("--shift", rename->shift,
        "Correct the camera clock: [+|-]H:MM[:SS] added to the time stamp before naming (hours may exceed 24); "
        "the files' bytes are not changed")
        ->type_name("[+|-]H:MM[:SS]");
    rename_command->add_option("--ini", rename->ini, "Display overrides from this exif.ini")->check(CLI::ExistingFile);
    rename_command->add_option("-j,--jobs", rename->jobs, "Files read at once (default: one per core); the output is the same for any number")
        ->check(CLI::PositiveNumber);
    rename_command->callback([rename] {
        Console console = standard_console();
        if (int code = run_rename(*rename, console))
            throw CLI::RuntimeError(code);
    });
}

}  // namespace velmo::cli
