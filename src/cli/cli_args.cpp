#include "cli_args.h"

#include <charconv>

namespace vw {
namespace {

struct CommandShape {
    const char* name;
    size_t files;
    bool takesSelection;
};

constexpr CommandShape kCommands[] = {
    {"info", 1, false},      {"dump", 1, false},      {"check", 1, false},
    {"export-obj", 1, true}, {"import-obj", 2, true}, {"export-gltf", 1, true},
    {"thumbnail", 2, false},
};

// File managers ask for 128 to 1024 pixels; more would only fill their caches.
constexpr int kLargestThumbnail = 4096;

const CommandShape* findCommand(const std::string& name) {
    for (const CommandShape& shape : kCommands) {
        if (name == shape.name)
            return &shape;
    }
    return nullptr;
}

bool parseIndex(const std::string& text, std::optional<int>& index) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 0)
        return false;
    index = value;
    return true;
}

// Reads the option at argv[i] and its value.
Result parseOption(const std::vector<std::string>& argv, size_t& i, CliArgs& args) {
    const std::string& option = argv[i];
    if (i + 1 >= argv.size())
        return Result::failure(option + " needs a value");
    const std::string& value = argv[++i];
    if (option == "--program-dir")
        args.programDir = value;
    else if (option == "--image")
        args.image = value;
    else if (option == "--size") {
        if (!parseIndex(value, args.size) || *args.size < 1 || *args.size > kLargestThumbnail)
            return Result::failure("--size needs a number from 1 to " +
                                   std::to_string(kLargestThumbnail) + ", not '" + value + "'");
    } else if (option == "-o")
        args.output = value;
    else if (option == "--part" || option == "--seg") {
        auto& index = option == "--part" ? args.selection.part : args.selection.seg;
        if (!parseIndex(value, index))
            return Result::failure(option + " needs a number from 0 up, not '" + value + "'");
    } else
        return Result::failure("unknown option " + option);
    return {};
}

Result checkShape(const CliArgs& args) {
    const CommandShape* shape = findCommand(args.command);
    if (!shape)
        return Result::failure("unknown command '" + args.command + "'");
    if (args.files.size() != shape->files)
        return Result::failure(args.command + " takes " +
                               (shape->files == 1 ? "one file" : "two files"));
    bool hasSelection = args.selection.part || args.selection.seg;
    if (hasSelection && !shape->takesSelection)
        return Result::failure(args.command + " takes no --part or --seg");
    if (args.selection.seg && !args.selection.part)
        return Result::failure("--seg needs --part");
    const bool exports = args.command == "export-obj" || args.command == "export-gltf";
    if (exports && !args.output)
        return Result::failure(args.command + (args.command == "export-obj" ? " needs -o OUT.obj"
                                                                            : " needs -o OUT.glb"));
    if (args.output && !exports)
        return Result::failure(args.command + " takes no -o");
    if (args.image && args.command != "export-gltf")
        return Result::failure(args.command + " takes no --image");
    if (args.size && args.command != "thumbnail")
        return Result::failure(args.command + " takes no --size");
    return {};
}

} // namespace

const char* const kUsage = R"(usage: vertwright-cli COMMAND FILE [options]
  info FILE                      layout, parts, segments, vertex and strip counts
  dump FILE                      the loaded model as JSON
  check FILE                     exit 0 when an unedited save gives the same bytes, 3 if not
  export-obj FILE -o OUT.obj [--part P] [--seg S]   (-o - writes to standard output)
  import-obj FILE IN.obj [--part P] [--seg S]
  export-gltf FILE -o OUT.glb [--part P] [--seg S] [--image PICTURE]
                                 binary glTF; PICTURE (PNG or JPEG) as the base colour texture
  thumbnail FILE OUT.png [--size N]   the model from the front, N by N pixels (default 256)
options:
  --program-dir DIR              where a delta model's companion files lie (lod/base_lod<c>.ebo,
                                 misc<c>.dat); default: the folder of this tool
  --part P, --seg S              0-based part, and 0-based segment within it
  -h, --help                     this text
  --version                      the version of the tool
exit codes: 0 done, 1 a file could not be loaded or written, 2 usage, 3 check found a difference
)";

Result parseArgs(const std::vector<std::string>& argv, CliArgs& args) {
    bool optionsEnded = false;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& word = argv[i];
        if (!optionsEnded && (word == "-h" || word == "--help")) {
            args.help = true;
            return {};
        }
        if (!optionsEnded && word == "--version") {
            args.version = true;
            return {};
        }
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            if (Result option = parseOption(argv, i, args); !option)
                return option;
        } else if (args.command.empty()) {
            args.command = word;
        } else {
            args.files.push_back(word);
        }
    }
    if (args.command.empty())
        return Result::failure("no command given");
    return checkShape(args);
}

} // namespace vw
