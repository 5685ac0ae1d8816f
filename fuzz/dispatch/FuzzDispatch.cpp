// Dispatches arbitrary request records. Every request, however malformed,
// must be answered: Dispatch returns true, and the reply encodes and decodes
// back to an equal record.
//
// Input: one control byte, then the encoded record (inputs whose record does
// not decode are skipped). The control byte picks
//   bits 0-1  the browser registry: none, empty, or holding the object tree;
//   bits 2-4  the object the record addresses: as decoded, or one of the
//             tree's objects (browser, page, frame, link, image, an unknown
//             element);
//   bits 5-6  the window every integer "handle" attribute names: as decoded,
//             or the browser's, the page's or the frame's window.
// so that the rows reach the objects without having to guess window handles.
#include "agent/channel/CWebInfo.h"
#include "agent/channel/Trace.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/dispatch/TestObjects.h"
#include "common/FileRoot.h"
#include "common/RecordCheck.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/Testing.h"
#include "platform/win32/Windows.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace {

using dispatch_test::MakeTestWindow;
using dispatch_test::TestDispatcher;
using dispatch_test::TestObj;
using dispatch_test::TestTree;
using dispatch_test::Value;

constexpr int32_t kFrameDomWindow = 0x5000;
constexpr int32_t kLinkNode = 77;
constexpr int32_t kImageNode = 78;

// The windows live for the whole run; files the rows write go to a folder
// of the run's own.
struct Environment {
    HWND browser = nullptr;
    HWND page = nullptr;
    HWND frame = nullptr;
    std::filesystem::path root;

    Environment() {
        char folder[] = "/tmp/webagent-fuzz-dispatch-XXXXXX";
        if (!mkdtemp(folder))
            std::abort();
        root = folder;
        win32::testing::SetFileRoot(folder);
        browser = MakeTestWindow(nullptr);
        page = MakeTestWindow(browser);
        frame = MakeTestWindow(page);
        if (!browser || !page || !frame)
            std::abort();
    }

    ~Environment() {
        DestroyWindow(browser);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    CWebRunTimeID BrowserId() const { return {Value(browser), -1, -1, -1}; }
    CWebRunTimeID PageId() const { return {Value(browser), Value(page), -1, -1}; }
    CWebRunTimeID FrameId() const { return {Value(browser), kFrameDomWindow, -1, -1}; }
    CWebRunTimeID ElementId(int32_t node) const {
        return {Value(browser), kFrameDomWindow, node, -1};
    }
};

Environment& Env() {
    static Environment environment;
    return environment;
}

// A browser with a page and a frame, the frame holding a link and an image,
// with the class utilities of the real classes. Methods answer as a class
// that implements them would, one of them changing the record it was given.
void Populate(TestTree& tree, const Environment& env) {
    ClassUtilities& utils = GetClassUtilities();
    TestObj& browser = tree.Browser();
    browser.UseUtil(&utils.browser);
    TestObj& page = tree.Add(browser, env.PageId());
    page.SetText("class", "html_page");
    page.SetInteger("handle", Value(env.page));
    page.SetInteger("state", 4);
    page.SetText("text", "Welcome to the page");
    page.UseUtil(&utils.frame);
    TestObj& frame = tree.Add(browser, env.FrameId());
    frame.SetText("class", "html_frame");
    frame.SetInteger("handle", Value(env.frame));
    frame.UseUtil(&utils.frame);
    TestObj& link = tree.Add(frame, env.ElementId(kLinkNode));
    link.SetText("class", "html_link");
    link.SetText("text", "Home");
    link.SetText("html tag", "A");
    link.Set("rect", CWebVariantList(CWebVariant(RECT{10, 20, 110, 45})));
    link.UseUtil(&utils.link);
    TestObj& image = tree.Add(frame, env.ElementId(kImageNode));
    image.SetText("class", "html_image");
    image.SetInteger("width", 40);
    image.UseUtil(&utils.image);
    for (TestObj* object : {&browser, &page, &frame, &link, &image}) {
        object->OnMethod("MakeVisible", [](CWebInfo&) { return true; });
        object->OnMethod("SetValue", [](CWebInfo& r) {
            r.SetRetValue(NS_OK);
            return true;
        });
        object->OnMethod("WriteFormatHeader", [](CWebInfo&) { return true; });
        object->OnMethod("WriteFormatToFile", [](CWebInfo& r) {
            r.ClearAttrs();
            r.AppendAttr("written", CWebVariant(1));
            return true;
        });
        object->OnMethod("ContainsText", [](CWebInfo&) { return false; });
    }
}

void Retarget(CWebInfo& record, unsigned choice, const Environment& env) {
    switch (choice) {
    case 1:
        record.SetRunTimeID(env.BrowserId());
        break;
    case 2:
        record.SetRunTimeID(env.PageId());
        break;
    case 3:
        record.SetRunTimeID(env.FrameId());
        break;
    case 4:
        record.SetRunTimeID(env.ElementId(kLinkNode));
        break;
    case 5:
        record.SetRunTimeID(env.ElementId(kImageNode));
        break;
    case 6:
        record.SetRunTimeID(env.ElementId(99));
        break;
    default:
        break;
    }
}

void RenameHandles(CWebInfo& record, unsigned choice, const Environment& env) {
    const HWND windows[] = {nullptr, env.browser, env.page, env.frame};
    HWND window = windows[choice & 3];
    if (!window)
        return;
    for (size_t i = 0; i < record.GetAttrCount(); ++i) {
        if (*record.GetAttrName(i) == "handle" &&
            record.GetAttrValue(i)->GetType() == WebVariantType::Integer)
            record.SetAttrValueAt(i, CWebVariantList(CWebVariant(Value(window))));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const Environment& env = Env();
    const unsigned control = data[0];
    CWebInfo record;
    if (!record.Deserialize(std::span<const uint8_t>(data + 1, size - 1)).Succeeded())
        return 0;
    Retarget(record, (control >> 2) & 7, env);
    RenameHandles(record, (control >> 5) & 3, env);
    fuzz::KeepFilesInRoot(record, env.root);

    TestTree tree(env.browser);
    Populate(tree, env);
    {
        TestDispatcher dispatcher;
        switch (control & 3) {
        case 0:
            dispatcher.hasRegistry = false;
            break;
        case 1:
            break;
        default:
            dispatcher.browsers = {&tree.Browser()};
            break;
        }
        if (!dispatcher.Dispatch(record))
            std::abort();
    }

    fuzz::CheckRoundTrip(record);

    // Trace settings are process-wide; each input starts from the agent's.
    SetTraceMask(kInitialTraceMask);
    SetTraceFileSwitch(0);
    return 0;
}
