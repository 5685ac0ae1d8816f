// Requests of every message identifier (0-255) against the whole agent on
// real pages with links, images, an image map, tables, forms, selection
// lists, lists and frames, addressed to live elements, to elements the page
// removed and to elements of a page the window navigated away from.
//
// Each input is one short session, so that an input reproduces on its own:
//   byte 0     bit 0: the start page (an inner frame) or the frameset page;
//              bit 1: the tool records ("ToolMode" 1)
//   then       requests, each: message identifier (one byte), the object
//              it addresses, up to six attributes (name, value)
// Before the requests the window shows the site's other page (whose element
// identifiers become "navigated away"), then the chosen page, whose elements
// marked for removal are taken out of their documents. Names are drawn from
// the agent's own tables (every property an object of the site lists, the
// description attributes, the class names) and from the method, option,
// argument and event names the tool sends, or are arbitrary text.
//
// Checked after every request: it was answered, the reply encodes and
// decodes back to itself, and no identifier of a removed or navigated-away
// element resolves to an object.
#include "agent/channel/CWebInfo.h"
#include "agent/channel/Trace.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/model/CNS6Page.h"
#include "agent/model/DescriptionTable.h"
#include "common/FileRoot.h"
#include "common/RecordCheck.h"
#include "platform/win32/Testing.h"
#include "support/SiteSession.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <set>
#include <string>
#include <vector>

namespace {

using testsupport::SiteSession;

constexpr size_t kMaxRequests = 8;
constexpr size_t kMaxAttributes = 6;

// Names the tool sends that no table of the agent lists: methods, options,
// request arguments, browser commands, event names and a few values.
constexpr std::string_view kToolNames[] = {
    // methods
    "BrowserCommand", "CallEvent", "ContainsText", "DescToId", "Doc2VievConvert", "GetHtmlClass",
    "GetToolBarRect", "IdToDesc", "IsEmbedHwnd", "IsParent", "IsRecordEnabled", "ItemToNum",
    "ListDeselect", "ListExtendSelect", "ListSelect", "MainComboItemToNum", "MainComboSelection",
    "MakeHwndObjVisible", "MakeVisible", "NumToItem", "NumtoRect", "ResetConversionMaps",
    "SaveImgContentToFile", "ScrollFrameByPoint", "ScrollPointIntoView", "SetValue",
    "SkipObjFromPoint", "UpdateActiveXMap", "Viev2DocConvert", "WriteAttrValToFile",
    "WriteFormatHeader", "WriteFormatToFile", "WriteInfoToFile", "WriteObjInfo",
    "WriteObjInfoHeader",
    // options
    "CompareCutName", "Dont remove special chars", "SupportDisabledLists", "ToolMode",
    "TrimDescriptionProperties", "TrimProperties", "UseOldName", "UseQuorvin70IE55Description",
    "UseQuorvin70Selector",
    // request arguments
    "attr_name", "bEnumNeeded", "child_id", "class", "command", "event_name", "event_status",
    "event_type", "file_name", "handle", "id", "item_num", "item_rect", "item_text", "level",
    "lparam", "message", "method_name", "oblig", "opt", "point", "pos", "rect", "selector", "state",
    "tag_attr", "url", "use file", "value", "var_name", "var_value", "wparam",
    // browser commands
    "Back", "Forward", "Home", "Navigate", "ReLoad", "Stop",
    // events
    "blur", "change", "click", "command", "dblclick", "focus", "keydown", "keyup", "mousedown",
    "mouseout", "mouseover", "mouseup", "onchange", "onclick", "propertychange", "reset", "select",
    "submit",
    // values
    "", " ", "!.*", "!(", "!Home", "#anchor", "Home", "MSW_class html_name", "about:blank",
    "c:\\temp\\fuzz.txt", "c:\\temp\\fuzz.bmp", "data:text/html,<a href=x>d</a>", "index",
    "location", "one", "two", "red", "green", "words"};

// The session and the names, made with the first input and kept for the run.
struct Fixture {
    SiteSession site{WEBAGENT_MODULE_DIR};
    std::filesystem::path files;
    std::vector<std::string> names;

    Fixture() {
        if (!site.Start() || !site.Show(SiteSession::kStartPage))
            std::abort();
        files = site.Folder() / "files";
        std::filesystem::create_directories(files);
        win32::testing::SetFileRoot(files.string());
        GatherNames();
    }

    void GatherNames() {
        std::set<std::string> found(std::begin(kToolNames), std::end(kToolNames));
        for (const std::string& name : DescriptionAttributeNames())
            found.insert(name);
        for (const auto& [name, util] : ListClassUtilities())
            found.insert(name);
        for (std::string_view page : {SiteSession::kStartPage, SiteSession::kFramesetPage}) {
            found.insert(std::string(page));
            if (!site.Show(page))
                std::abort();
            std::vector<CWebObjRef> objects = site.Elements();
            objects.push_back(site.Browser());
            objects.push_back(site.Page());
            if (auto* frame = dynamic_cast<CNS6Page*>(site.Page().Get()))
                frame->AppendFrames(objects);
            for (const CWebObjRef& object : objects) {
                for (int position = 0; object; ++position) {
                    std::string name;
                    CWebVariantList value;
                    if (!object->GetPropertyAt(name, value, position))
                        break;
                    found.insert(name);
                }
            }
        }
        names.assign(found.begin(), found.end());
    }
};

Fixture& Get() {
    static Fixture fixture;
    return fixture;
}

// The identifiers one input plays with.
struct Targets {
    CWebRunTimeID browser;
    CWebRunTimeID page;
    std::vector<CWebRunTimeID> frames;
    std::vector<CWebRunTimeID> live;
    std::vector<CWebRunTimeID> dead; // removed or navigated away
    std::vector<int32_t> windows;
};

std::vector<CWebRunTimeID> IdsOf(const std::vector<CWebObjRef>& objects) {
    std::vector<CWebRunTimeID> ids;
    for (const CWebObjRef& object : objects)
        ids.push_back(object->RunTimeID());
    return ids;
}

template <typename T>
const T& Pick(FuzzedDataProvider& input, const std::vector<T>& from, const T& otherwise) {
    if (from.empty())
        return otherwise;
    return from[input.ConsumeIntegralInRange<size_t>(0, from.size() - 1)];
}

CWebRunTimeID PickId(FuzzedDataProvider& input, const Targets& targets) {
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return targets.browser;
    case 1:
        return targets.page;
    case 2:
        return Pick(input, targets.frames, targets.page);
    case 3:
    case 4:
        return Pick(input, targets.live, targets.page);
    case 5:
    case 6:
        return Pick(input, targets.dead, targets.page);
    default:
        return CWebRunTimeID(input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(),
                             input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>());
    }
}

std::string PickName(FuzzedDataProvider& input, const std::vector<std::string>& names) {
    if (input.ConsumeIntegral<uint8_t>() < 240)
        return Pick(input, names, std::string());
    return input.ConsumeRandomLengthString(40);
}

CWebVariantList PickValue(FuzzedDataProvider& input, const Targets& targets,
                          const std::vector<std::string>& names) {
    CWebVariantList value;
    switch (input.ConsumeIntegralInRange(0, 8)) {
    case 0:
        value.Append(std::string_view(Pick(input, names, std::string())));
        break;
    case 1:
        value.Append(std::string_view(input.ConsumeRandomLengthString(80)));
        break;
    case 2:
        value.Append(static_cast<int32_t>(input.ConsumeIntegral<int8_t>()));
        break;
    case 3: {
        static const std::vector<int32_t> kEdges{0, 1, -1, 2, INT32_MIN, INT32_MAX, 65000};
        const bool window = input.ConsumeBool();
        value.Append(Pick(input, window ? targets.windows : kEdges, 0));
        break;
    }
    case 4:
        value.Append(RECT{input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>(),
                          input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>()});
        break;
    case 5:
        value.AppendPair(input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>());
        break;
    case 6:
        value.Append(PickId(input, targets));
        break;
    case 7: {
        // Several identifiers, as message 8 takes them.
        const int count = input.ConsumeIntegralInRange(0, 4);
        for (int i = 0; i < count; ++i)
            value.Append(PickId(input, targets));
        break;
    }
    default:
        value.SetStatus(input.ConsumeIntegralInRange(0, 5));
        break;
    }
    return value;
}

// Addresses the browser would load stay on the site (or inline): a request
// must not make the run fetch from the network or read a device file.
void KeepAddressesOnSite(CWebInfo& record, const SiteSession& site) {
    for (size_t i = 0; i < record.GetAttrCount(); ++i) {
        if (*record.GetAttrName(i) != "url")
            continue;
        bool safe = true;
        for (const CWebVariant& element : record.GetAttrValue(i)->Elements()) {
            if (element.GetType() != WebVariantType::String)
                continue;
            const std::string& url = element.GetString();
            const bool onSite = url == SiteSession::kStartPage ||
                                url == SiteSession::kFramesetPage ||
                                url == SiteSession::kOtherPage || url.starts_with(site.Url(""));
            const bool inline_ =
                url.starts_with("data:") || url.starts_with("about:") || url.starts_with("#");
            if ((!onSite && !inline_) || url.find("..") != std::string::npos)
                safe = false;
        }
        if (!safe)
            record.SetAttrValueAt(i, CWebVariantList(CWebVariant(site.Url("dot.gif"))));
    }
}

void CheckDeadStayDead(CNS6Interface& dispatcher, const std::vector<CWebRunTimeID>& dead) {
    for (const CWebRunTimeID& id : dead) {
        CWebInfo scratch;
        scratch.SetRunTimeID(id);
        if (dispatcher.ResolveObject(scratch))
            std::abort(); // a dead identifier named an object
    }
}

} // namespace

// Every input hits tens of thousands of coverage features (each one loads
// pages and lays them out), and the entropic schedule's bookkeeping over them
// took two thirds of the run; the plain schedule is the default here unless
// the command line chooses.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> arguments(*argv, *argv + *argc);
    static char plain[] = "-entropic=0";
    if (std::none_of(arguments.begin(), arguments.end(),
                     [](const char* a) { return std::string_view(a).starts_with("-entropic"); })) {
        arguments.push_back(plain);
        *argc = static_cast<int>(arguments.size());
        arguments.push_back(nullptr);
        *argv = arguments.data();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    Fixture& fixture = Get();
    SiteSession& site = fixture.site;
    FuzzedDataProvider input(data, size);
    const uint8_t setup = input.ConsumeIntegral<uint8_t>();

    site.ResetAgent();
    Targets targets;
    if (!site.Show(SiteSession::kOtherPage))
        std::abort();
    targets.dead = IdsOf(site.Elements());
    if (!site.Show((setup & 1) != 0 ? SiteSession::kFramesetPage : SiteSession::kStartPage))
        std::abort();
    targets.browser = site.Browser()->RunTimeID();
    targets.page = site.Page()->RunTimeID();
    if (auto* page = dynamic_cast<CNS6Page*>(site.Page().Get())) {
        std::vector<CWebObjRef> frames;
        page->AppendFrames(frames);
        targets.frames = IdsOf(frames);
    }
    targets.live = IdsOf(site.Elements());
    for (const CWebRunTimeID& id : site.RemoveDoomedElements())
        targets.dead.push_back(id);
    targets.windows = {static_cast<int32_t>(HandleToULong(site.BrowserWindow())),
                       static_cast<int32_t>(HandleToULong(site.ContentWindow()))};
    if ((setup & 2) != 0)
        site.Dispatcher().SetOption("ToolMode", 1);

    for (size_t n = 0; n < kMaxRequests && input.remaining_bytes() > 0; ++n) {
        CWebInfo record;
        record.SetMsgId(input.ConsumeIntegral<uint8_t>());
        record.SetRunTimeID(PickId(input, targets));
        const size_t count = input.ConsumeIntegralInRange<size_t>(0, kMaxAttributes);
        for (size_t k = 0; k < count; ++k) {
            const std::string name = PickName(input, fixture.names);
            record.AppendAttr(name, PickValue(input, targets, fixture.names));
        }
        fuzz::KeepFilesInRoot(record, fixture.files);
        KeepAddressesOnSite(record, site);
        if (!site.Dispatch(record))
            std::abort(); // every request is answered
        fuzz::CheckRoundTrip(record);
        CheckDeadStayDead(site.Dispatcher(), targets.dead);
    }

    // Trace settings are process-wide; each input starts from the agent's.
    SetTraceMask(kInitialTraceMask);
    SetTraceFileSwitch(0);
    return 0;
}
