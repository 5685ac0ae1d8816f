// The soak: a long series of element requests against the whole agent on the
// site's start page, with the process's memory sampled as it goes.
//
//     webagent_soak                      100,000 requests, a sample every 5,000
//     webagent_soak --requests 3000 --sample 500 --max-growth-kb 4096
//
// The requests cycle through the element rows a test session uses most:
// identification (the description of an element, then the element found
// from it), properties (one object, all properties, several objects),
// "MakeVisible", "CallEvent" (clicks on check boxes, radio buttons and plain
// elements, mouse and focus events), list replays ("ListSelect",
// "ListExtendSelect", "ListDeselect") and typed values, while the tool
// records ("ToolMode" 1) and collects the recorded statements (message 22).
// Every so often the window shows another page and comes back, so that the
// page's elements and frames are made anew.
//
// Every reply is checked (an identification finds the element it described,
// each row answers success); the first samples are the warm-up, and the
// growth is measured from the last warm-up sample to the end. Exit status 0
// when every reply was right and the growth stayed within the limit.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"
#include "support/SiteSession.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>
#include <string_view>
#include <vector>

// Under AddressSanitizer freed blocks wait in a quarantine and the allocator's
// statistics are its own, so the process's memory says nothing of leaks there
// (LeakSanitizer judges those).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsHeldBySanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryIsHeldBySanitizer = true;
#else
constexpr bool kMemoryIsHeldBySanitizer = false;
#endif
#else
constexpr bool kMemoryIsHeldBySanitizer = false;
#endif

namespace {

using testsupport::SiteSession;

struct Options {
    long requests = 100000;
    long sample = 5000;
    // Requests after which the window shows another page and comes back.
    long reload = 10000;
    // The share of the run that is warm-up, in percent.
    long warmupPercent = 20;
    long maxGrowthKb = 1024;
};

bool ReadOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const std::string_view text = argv[i + 1];
        long value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 0) {
            return false;
        }
        if (name == "--requests") {
            options.requests = value;
        } else if (name == "--sample") {
            options.sample = value;
        } else if (name == "--reload-every") {
            options.reload = value;
        } else if (name == "--warmup-percent") {
            options.warmupPercent = value;
        } else if (name == "--max-growth-kb") {
            options.maxGrowthKb = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.sample > 0 && options.warmupPercent < 100;
}

struct Sample {
    long requests;
    long rssKb;
    long heapKb; // bytes the allocator has handed out and not taken back
};

Sample TakeSample(long requests) {
    Sample sample{requests, 0, static_cast<long>(mallinfo2().uordblks / 1024)};
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            sample.rssKb = std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return sample;
}

// The page's elements sorted by what the soak does with them.
struct Elements {
    std::vector<CWebRunTimeID> all;
    std::vector<CWebRunTimeID> clickable; // a click changes no page
    std::vector<CWebRunTimeID> lists;
    std::vector<CWebRunTimeID> edits;
};

std::string StringProperty(const CWebObjRef& object, std::string_view name) {
    CWebVariantList value;
    if (!object->GetProperty(name, value) || value.GetType() != WebVariantType::String ||
        value.IsEmpty()) {
        return {};
    }
    return value.GetAt(0)->GetString();
}

Elements Sort(const std::vector<CWebObjRef>& objects) {
    Elements sorted;
    for (const CWebObjRef& object : objects) {
        const CWebRunTimeID id = object->RunTimeID();
        sorted.all.push_back(id);
        const std::string type = StringProperty(object, "class");
        const std::string tag = StringProperty(object, "tag_name");
        if (type == "html_check_button" || type == "html_radio_button" || tag == "DIV" ||
            tag == "SPAN" || tag == "LI" || tag == "H1") {
            sorted.clickable.push_back(id);
        }
        if (type == "html_listbox" || type == "html_combobox") {
            sorted.lists.push_back(id);
        }
        if (type == "html_edit") {
            sorted.edits.push_back(id);
        }
    }
    return sorted;
}

class Soak {
public:
    explicit Soak(SiteSession& site) : m_Site(site) {}

    bool Load() {
        if (!m_Site.Show(SiteSession::kStartPage)) {
            return false;
        }
        m_Elements = Sort(m_Site.Elements());
        return !m_Elements.all.empty() && !m_Elements.clickable.empty() &&
               !m_Elements.lists.empty() && !m_Elements.edits.empty();
    }

    bool Reload() { return m_Site.Show(SiteSession::kOtherPage) && Load(); }

    // Request number `n`; false when its reply was wrong.
    bool Run(long n) {
        const auto k = static_cast<size_t>(n);
        const CWebRunTimeID& any = m_Elements.all[k % m_Elements.all.size()];
        switch (n % 10) {
        case 0:
        case 1:
            return Identify(any);
        case 2: {
            CWebInfo request = Request(MsgId::GetProperties, any);
            AppendString(request, "text", "");
            AppendString(request, "rect", "");
            AppendString(request, "class", "");
            return Expect(request, NS_OK);
        }
        case 3:
            return n % 20 == 3 ? Expect(Request(MsgId::GetAllProperties, any), NS_OK) : Many(k);
        case 4:
            return Expect(Request(MsgId::MakeVisible, any), NS_OK);
        case 5:
        case 6: {
            static constexpr std::string_view kEvents[] = {"click", "mouseover", "mouseout",
                                                           "focus", "blur"};
            CWebInfo request =
                Request(MsgId::CallEvent, m_Elements.clickable[k % m_Elements.clickable.size()]);
            AppendString(request, "event_name", kEvents[(k / 10) % std::size(kEvents)]);
            return Expect(request, NS_OK);
        }
        case 7: {
            static constexpr std::string_view kReplays[] = {"ListSelect", "ListExtendSelect",
                                                            "ListDeselect"};
            CWebInfo request =
                Request(MsgId::CallNamedMethod, m_Elements.lists[k % m_Elements.lists.size()]);
            AppendString(request, "method_name", kReplays[(k / 10) % std::size(kReplays)]);
            AppendInteger(request, "value", static_cast<int32_t>((k / 30) % 2));
            return Expect(request, NS_OK);
        }
        case 8: {
            CWebInfo request =
                Request(MsgId::SetValue, m_Elements.edits[k % m_Elements.edits.size()]);
            AppendString(request, "value", (k / 10) % 2 == 0 ? "typed" : "typed again");
            return Expect(request, NS_OK);
        }
        default:
            return CollectStatement();
        }
    }

    // Replies to message 22 that held a recorded statement.
    long Statements() const { return m_Statements; }

private:
    static CWebInfo Request(MsgId id, const CWebRunTimeID& target) {
        CWebInfo request;
        request.SetMsgId(ToInt(id));
        request.SetRunTimeID(target);
        return request;
    }

    // The statement the last replayed click or selection recorded, if any.
    bool CollectStatement() {
        CWebInfo request = Request(MsgId::LastEvent, m_Elements.all.front());
        if (!m_Site.Dispatch(request)) {
            return false;
        }
        if (request.FindAttr("event_name") != nullptr) {
            ++m_Statements;
        }
        // Collected: the next reply holds a statement only if one was
        // recorded since.
        m_Site.Dispatcher().SetLastEventId(CWebRunTimeID());
        return true;
    }

    bool Expect(CWebInfo request, nsresult expected) {
        if (!m_Site.Dispatch(request) || request.GetRetValue() != expected) {
            std::fprintf(stderr, "webagent_soak: message %d on %d answered 0x%08x\n",
                         request.GetMsgId(), request.GetRunTimeID().Third(),
                         static_cast<unsigned>(request.GetRetValue()));
            return false;
        }
        return true;
    }

    // The description of an element, and the element found from it.
    bool Identify(const CWebRunTimeID& id) {
        CWebInfo description = Request(MsgId::IdToDesc, id);
        if (!m_Site.Dispatch(description) || description.GetRetValue() != NS_OK) {
            return Expect(description, NS_OK);
        }
        description.RemoveAttr("tag");
        description.SetMsgId(ToInt(MsgId::DescToId));
        description.SetRetValue(NS_OK);
        description.SetRunTimeID(id.FrameLevel());
        if (!m_Site.Dispatch(description)) {
            return false;
        }
        const CWebVariant* found = description.FindFirstValue("id");
        // Look-alike elements answer "several found"; the first is the one
        // the description's selector names.
        return found != nullptr && found->GetType() == WebVariantType::RunTimeID &&
               found->GetRunTimeID() == id;
    }

    bool Many(size_t k) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::GetPropertiesOfMany));
        CWebVariantList ids;
        for (size_t i = 0; i < 5; ++i) {
            ids.Append(m_Elements.all[(k + i) % m_Elements.all.size()]);
        }
        request.AppendAttr("id", ids);
        AppendString(request, "tag_name", "");
        return Expect(request, NS_OK);
    }

    SiteSession& m_Site;
    Elements m_Elements;
    long m_Statements = 0;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: webagent_soak [--requests N] [--sample N] [--reload-every N]"
                             " [--warmup-percent P] [--max-growth-kb K]\n");
        return 2;
    }
    SiteSession site(WEBAGENT_MODULE_DIR);
    Soak soak(site);
    if (!site.Start() || !soak.Load()) {
        std::fprintf(stderr, "webagent_soak: the site did not load\n");
        return 1;
    }
    site.ResetAgent();
    site.Dispatcher().SetOption("ToolMode", 1);

    std::vector<Sample> samples{TakeSample(0)};
    long wrong = 0;
    for (long n = 1; n <= options.requests; ++n) {
        if (!soak.Run(n)) {
            ++wrong;
        }
        if (options.reload > 0 && n % options.reload == 0 && !soak.Reload()) {
            std::fprintf(stderr, "webagent_soak: the page did not load again\n");
            return 1;
        }
        if (n % options.sample == 0 || n == options.requests) {
            samples.push_back(TakeSample(n));
            const Sample& s = samples.back();
            std::printf("requests %7ld  rss %7ld kB  heap %7ld kB\n", s.requests, s.rssKb,
                        s.heapKb);
            std::fflush(stdout);
        }
    }

    const long warmupEnd = options.requests * options.warmupPercent / 100;
    const Sample* base = &samples.front();
    for (const Sample& s : samples) {
        if (s.requests <= warmupEnd) {
            base = &s;
        }
    }
    const Sample& last = samples.back();
    const long rssGrowth = last.rssKb - base->rssKb;
    const long heapGrowth = last.heapKb - base->heapKb;
    std::printf("after warm-up (%ld requests): rss %+ld kB, heap %+ld kB; wrong replies %ld;"
                " recorded statements collected %ld\n",
                base->requests, rssGrowth, heapGrowth, wrong, soak.Statements());
    if (kMemoryIsHeldBySanitizer) {
        std::printf("memory growth not judged: AddressSanitizer holds freed memory in its "
                    "quarantine\n");
        return wrong == 0 ? 0 : 1;
    }
    return wrong == 0 && rssGrowth <= options.maxGrowthKb && heapGrowth <= options.maxGrowthKb ? 0
                                                                                               : 1;
}
