#include "cli/Console.h"

#include "cli/CheckpointDemo.h"
#include "cli/ControlsDemo.h"
#include "cli/ElementsDemo.h"
#include "cli/IdentifyDemo.h"
#include "cli/ImagesDemo.h"
#include "cli/RecordReplayDemo.h"
#include "cli/RecordingDemo.h"
#include "cli/ScriptRunner.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <istream>
#include <ostream>
#include <sys/stat.h>

namespace cli {

namespace {

bool ParseMask(const std::string& text, int32_t& out) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    uint32_t value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value, base);
    if (ec != std::errc() || stop != end || begin == end) {
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

// A wait in milliseconds: 1 up to a day.
bool ParseWait(const std::string& text, std::chrono::milliseconds& out) {
    constexpr uint32_t kMaxWaitMs = 24 * 60 * 60 * 1000;
    uint32_t value = 0;
    auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || stop != text.data() + text.size() || value == 0 ||
        value > kMaxWaitMs) {
        return false;
    }
    out = std::chrono::milliseconds(value);
    return true;
}

bool IsUrl(const std::string& page) {
    auto scheme = page.find("://");
    return scheme != std::string::npos && scheme > 0 &&
           page.find_first_not_of("abcdefghijklmnopqrstuvwxyz", 0) == scheme;
}

// A page the browser cannot load is reported before anything runs.
bool CheckPage(const std::string& page, std::string& error) {
    if (IsUrl(page)) {
        return true;
    }
    struct stat info {};
    if (stat(page.c_str(), &info) != 0) {
        error = "page \"" + page + "\" cannot be loaded: no such file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "page \"" + page + "\" cannot be loaded: not a file";
        return false;
    }
    std::ifstream probe(page);
    if (!probe) {
        error = "page \"" + page + "\" cannot be loaded: it cannot be read";
        return false;
    }
    return true;
}

// The tree of every open browser window; false when one could not be read.
bool PrintOpenTrees(Session& session, ScriptRunner& runner, std::ostream& errors) {
    runner.Drain();
    bool printed = true;
    for (HWND window : session.BrowserWindows()) {
        std::string error;
        CWebRunTimeID browser(static_cast<int32_t>(HandleToULong(window)), -1, -1, -1);
        if (!runner.PrintTree(browser, error)) {
            errors << "webagent: --tree: " << error << '\n';
            printed = false;
        }
    }
    return printed;
}

int RunDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out,
            std::vector<DemoPart>* parts) {
    printer.Heading("connection announcement");
    runner.Drain();
    if (!session.HasBrowser() && printer.Form() == OutputForm::Text) {
        out << "(" << session.BrowserError()
            << ": the agent window serves a stand-in browser window, so requests for pages, "
               "frames and elements find no object)\n";
    }
    size_t lineNumber = 0;
    auto runSteps = [&](const std::vector<DemoStep>& steps) {
        for (const DemoStep& step : steps) {
            runner.RunShown(step.heading, step.line, ++lineNumber);
        }
    };
    // Each part's replies and refused lines, told apart by the runner's counts.
    auto part = [&](const char* name, const auto& run) {
        const size_t replies = runner.Replies();
        const size_t refused = runner.Refused();
        run();
        runner.Drain();
        if (parts) {
            parts->push_back({name, runner.Replies() - replies, runner.Refused() - refused});
        }
    };
    part("steps", [&] { runSteps(DemoSteps()); });
    // The demo parts that act on the demo site's pages need the browser.
    if (session.HasBrowser()) {
        part("controls", [&] { runSteps(ControlsDemoSteps()); });
    }
    part("identification", [&] { RunIdentificationDemo(runner, lineNumber); });
    part("elements", [&] { RunElementsDemo(session, printer, runner, out); });
    part("recording", [&] { RunRecordingDemo(session, printer, runner, out); });
    part("checkpoints", [&] { RunCheckpointDemo(runner, printer, out, lineNumber); });
    // The images part shows objects of the demo site's pages: without the
    // simulated browser there are none.
    if (session.HasBrowser()) {
        part("images", [&] { RunImagesDemo(runner, printer, out, lineNumber); });
    }
    runner.FinishPending();
    return kExitHandled;
}

} // namespace

std::string ConsoleUsage() {
    return "usage: webagent                      run the demo session\n"
           "       webagent [--page FILE_OR_URL]... [--script FILE] [--json | --raw]\n"
           "                [--trace MASK] [--timeout MS] [--no-browser] [--demo] [--tree]\n"
           "                [--record-to FILE]\n"
           "       webagent --demo-record [--record-to FILE] [--json]\n"
           "  --page FILE_OR_URL  open a browser window on the page (repeatable)\n"
           "  --script FILE       read JSON lines from FILE instead of standard input\n"
           "  --json              print replies and events as JSON lines\n"
           "  --raw               print replies as {\"raw\": HEX}, the rest as JSON lines\n"
           "  --trace MASK        turn the agent's trace categories on (decimal or 0x...)\n"
           "  --timeout MS        wait at most MS milliseconds for each reply (default\n"
           "                      60000, the agent's own send time-out)\n"
           "  --no-browser        serve requests through an agent window for a stand-in\n"
           "                      browser window, without the simulated browser\n"
           "  --demo              run the demo session with these options\n"
           "  --tree              print the test-object tree of the open pages first\n"
           "                      (without --script nothing else is read)\n"
           "  --record-to FILE    record the user's actions (\"ToolMode\" 1) and write the\n"
           "                      lines that replay them to FILE\n"
           "  --demo-record       record a scenario on the demo site, replay it on a fresh\n"
           "                      browser and compare the final states (the script is\n"
           "                      kept in the --record-to FILE when one is given)\n";
}

bool ParseConsoleArguments(const std::vector<std::string>& args, ConsoleOptions& options,
                           bool& help, std::string& error) {
    options = ConsoleOptions();
    help = false;
    if (args.empty()) {
        options.demo = true;
        return true;
    }
    bool json = false;
    bool raw = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (arg == "--page") {
            if (!value(text)) {
                return false;
            }
            options.pages.push_back(text);
        } else if (arg == "--script") {
            if (options.script) {
                error = "--script given twice";
                return false;
            }
            if (!value(text)) {
                return false;
            }
            options.script = text;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--raw") {
            raw = true;
        } else if (arg == "--no-browser") {
            options.standIn = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--tree") {
            options.tree = true;
        } else if (arg == "--demo-record") {
            options.demoRecord = true;
        } else if (arg == "--record-to") {
            if (options.recordTo) {
                error = "--record-to given twice";
                return false;
            }
            if (!value(text)) {
                return false;
            }
            options.recordTo = text;
        } else if (arg == "--trace") {
            int32_t mask = 0;
            if (!value(text)) {
                return false;
            }
            if (!ParseMask(text, mask)) {
                error = "--trace needs a number (decimal or 0x...), not \"" + text + "\"";
                return false;
            }
            options.traceMask = mask;
        } else if (arg == "--timeout") {
            if (!value(text)) {
                return false;
            }
            if (!ParseWait(text, options.replyWait)) {
                error = "--timeout needs milliseconds from 1 to 86400000, not \"" + text + "\"";
                return false;
            }
        } else {
            error = "unknown argument \"" + arg + "\"";
            return false;
        }
    }
    if (json && raw) {
        error = "--json and --raw exclude each other";
        return false;
    }
    if (options.demo && options.script) {
        error = "--demo runs its own lines and takes no --script";
        return false;
    }
    if (options.demoRecord && (options.demo || options.script || options.tree)) {
        error = "--demo-record runs its own scenario and takes no --demo, --script or --tree";
        return false;
    }
    if (options.recordTo && (options.demo || options.standIn)) {
        error = "--record-to records the user's actions in the simulated browser: not with --demo "
                "or --no-browser";
        return false;
    }
    options.form = raw ? OutputForm::Raw : json ? OutputForm::Json : OutputForm::Text;
    return true;
}

int RunConsole(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& errors, std::vector<DemoPart>* demoParts) {
    ConsoleOptions options;
    bool help = false;
    std::string error;
    if (!ParseConsoleArguments(args, options, help, error)) {
        errors << "webagent: " << error << '\n' << ConsoleUsage();
        return kExitUsage;
    }
    if (help) {
        out << ConsoleUsage();
        return kExitHandled;
    }
    for (const std::string& page : options.pages) {
        if (!CheckPage(page, error)) {
            errors << "webagent: " << error << '\n';
            return kExitRefused;
        }
    }
    std::ifstream scriptFile;
    if (options.script) {
        scriptFile.open(*options.script);
        if (!scriptFile) {
            errors << "webagent: the script \"" << *options.script << "\" cannot be read\n";
            return kExitUsage;
        }
    }

    Session session;
    BrowserStart start;
    start.pages = options.pages;
    start.standIn = options.standIn;
    if (!session.Start(start, error)) {
        errors << "webagent: the session could not start: " << error << '\n';
        return kExitRefused;
    }
    // With the browser in the build, a browser that did not start (a page
    // that cannot be loaded, say) is an error: the pages asked for are not
    // there to be driven.
    if (!session.HasBrowser() && !options.standIn &&
        session.BrowserError() != kBrowserUnavailable) {
        errors << "webagent: " << session.BrowserError() << '\n';
        session.Stop();
        return kExitRefused;
    }
    if (!session.HasBrowser() && !options.standIn && !options.demo) {
        errors << "webagent: note: " << session.BrowserError()
               << "; requests go to an agent window for a stand-in browser window\n";
    }
    session.SetReplyWait(options.replyWait);
    Printer printer(out, options.form);
    ScriptRunner runner(session, printer, errors);
    if (options.traceMask && !runner.EnableTrace(*options.traceMask)) {
        errors << "webagent: the agent did not take the trace setting\n";
    }
    int status = kExitHandled;
    if (options.tree && !PrintOpenTrees(session, runner, errors)) {
        status = kExitRefused;
    }
    std::optional<ScriptRecorder> recorder;
    // The demo records to a file of its own choosing (or to --record-to).
    if (options.recordTo && !options.demoRecord) {
        recorder.emplace(*options.recordTo, errors);
        // A file that cannot be written is reported; the recording goes on,
        // its statements still printed.
        (void)recorder->Open(options.pages);
        StartRecording(session, runner, *recorder);
    }
    if (options.demoRecord) {
        status = RunRecordReplayDemo(session, printer, runner, out, errors, options.recordTo);
    } else if (options.tree && !options.demo && !options.script) {
        // The tree was all that was asked for.
    } else if (options.demo) {
        status = std::max(status, RunDemo(session, printer, runner, out, demoParts));
    } else {
        runner.Run(options.script ? static_cast<std::istream&>(scriptFile) : in);
        status = std::max(status, runner.Refused() > 0 ? kExitRefused : kExitHandled);
    }
    if (recorder) {
        runner.Drain();
        runner.SetRecorder(nullptr);
        status = std::max(status, recorder->Failed() ? kExitRefused : kExitHandled);
    }
    session.Stop();
    return status;
}

const std::vector<DemoStep>& DemoSteps() {
    static const std::vector<DemoStep> steps = {
        {"set the tool option \"TrimProperties\" (message 48)",
         R"({"msg": 48, "attrs": [["var_name", "TrimProperties"], ["var_value", 256]]})"},
        {"the browser's state (message 1)", R"({"msg": 1, "id": "browser"})"},
        {"every property of the browser (message 7)", R"({"msg": 7, "id": "browser"})"},
        {"every property of the page in the browser window (message 7)",
         R"({"msg": 7, "id": "page"})"},
        {"a link by its description (message 15)",
         R"({"msg": 15, "id": "browser", "attrs": [["class", "html_link"], ["text", "Tables"]]})"},
        {"the browser's properties with its class index (message 24, answered as 5)",
         R"({"msg": 24, "id": "browser", "attrs": [["handle", 0], ["title", ""]]})"},
        {"the last recorded statement (message 22)", R"({"msg": 22})"},
        {"an unknown message comes back as sent (message 60)",
         R"({"msg": 60, "attrs": [["kept", "as sent"], ["point", {"type": 5, "items": [{"t": 5, "v": [3, 4]}]}]]})"},
        {"a record written byte by byte: message 60 with no attributes",
         R"({"raw": "00000000 3c000000 00000000 ffffffff ffffffff ffffffff ffffffff 63000000 00000000"})"},
    };
    return steps;
}

} // namespace cli
