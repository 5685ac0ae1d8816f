// Saving a 1 MB image: through the browser's channels from a file: address
// and from a loopback http server, through the fallback's local-file copy,
// and the stream listener's 256-byte pieces alone, each beside a plain copy
// of the same file ("copy_file") and one write of the whole image
// ("one_write"), measured in the same run.
#include "agent/channel/RequestArgs.h"
#include "agent/dispatch/ImageSaving.h"
#include "agent/model/CNS6StreamListener.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/Network.h"
#include "platform/xpcom/nsXPCOM.h"
#include "support/LoopbackServer.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testsupport::LoopbackServer;

constexpr size_t kImageSize = 1 << 20;

struct Setting {
    Setting() {
        folder = fs::temp_directory_path() / ("webagent_image_bench_" + std::to_string(getpid()));
        fs::create_directories(folder);
        image.resize(kImageSize);
        for (size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<char>((i * 131) >> 3);
        }
        std::ofstream(folder / "source.gif", std::ios::binary) << image;
        NS_InitXPCOM({});
        app.Start();
        server = std::make_unique<LoopbackServer>(
            std::vector<std::string>{LoopbackServer::Ok(image, "image/gif")},
            LoopbackServer::AfterLast::Repeat);
    }
    ~Setting() {
        server.reset();
        app.Shutdown();
        NS_ShutdownXPCOM();
        fs::remove_all(folder);
    }
    std::string Source() const { return (folder / "source.gif").string(); }
    std::string Target() const { return (folder / "target.gif").string(); }

    fs::path folder;
    std::string image;
    browser::Browser app;
    std::unique_ptr<LoopbackServer> server;
};

Setting& Shared() {
    static Setting setting;
    return setting;
}

void Bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kImageSize));
}

void BM_CopyFile(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        fs::copy_file(s.Source(), s.Target(), fs::copy_options::overwrite_existing);
    }
    Bytes(state);
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMicrosecond);

void BM_SaveUrlToFile_File(benchmark::State& state) {
    Setting& s = Shared();
    std::string url = browser::URIFromFilePath(s.Source());
    for (auto _ : state) {
        if (SaveUrlToFile(url, s.Target()) != NS_OK) {
            state.SkipWithError("file: save failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_SaveUrlToFile_File)->Unit(benchmark::kMicrosecond);

void BM_SaveUrlToFile_LoopbackHttp(benchmark::State& state) {
    Setting& s = Shared();
    std::string url = s.server->Url("/image.gif");
    for (auto _ : state) {
        if (SaveUrlToFile(url, s.Target()) != NS_OK) {
            state.SkipWithError("http: save failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_SaveUrlToFile_LoopbackHttp)->Unit(benchmark::kMicrosecond);

void BM_SaveImageWithWinInet_LocalFile(benchmark::State& state) {
    Setting& s = Shared();
    CWebInfo record;
    AppendString(record, "url", browser::URIFromFilePath(s.Source()));
    AppendString(record, "file_name", s.Target());
    for (auto _ : state) {
        if (SaveImageWithWinInet(record) != NS_OK) {
            state.SkipWithError("fallback copy failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_SaveImageWithWinInet_LocalFile)->Unit(benchmark::kMicrosecond);

void BM_SaveImageWithWinInet_LoopbackHttp(benchmark::State& state) {
    Setting& s = Shared();
    CWebInfo record;
    AppendString(record, "url", s.server->Url("/image.gif"));
    AppendString(record, "file_name", s.Target());
    for (auto _ : state) {
        if (SaveImageWithWinInet(record) != NS_OK) {
            state.SkipWithError("fallback download failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_SaveImageWithWinInet_LoopbackHttp)->Unit(benchmark::kMicrosecond);

// An input stream over the image in memory, as a channel hands it over.
class MemoryStream final : public nsSupportsImpl<MemoryStream, nsIInputStream> {
public:
    explicit MemoryStream(const std::string& bytes) : m_Bytes(bytes) {}
    nsresult Available(PRUint32* result) override {
        *result = static_cast<PRUint32>(m_Bytes.size() - m_Offset);
        return NS_OK;
    }
    nsresult Read(char* buffer, PRUint32 count, PRUint32* read) override {
        size_t n = std::min<size_t>(count, m_Bytes.size() - m_Offset);
        std::memcpy(buffer, m_Bytes.data() + m_Offset, n);
        m_Offset += n;
        *read = static_cast<PRUint32>(n);
        return NS_OK;
    }
    nsresult Close() override { return NS_OK; }

private:
    const std::string& m_Bytes; // observes: the setting's image outlives the stream
    size_t m_Offset = 0;
};

// The listener alone: 4096 pieces of 256 bytes into the file.
void BM_ListenerPieces256(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        nsCOMPtr<CNS6StreamListener> listener(new CNS6StreamListener(s.Target()));
        nsCOMPtr<nsIInputStream> input(new MemoryStream(s.image));
        listener->OnStartRequest(nullptr, nullptr);
        listener->OnDataAvailable(nullptr, nullptr, input, 0, kImageSize);
        listener->OnStopRequest(nullptr, nullptr, NS_OK);
        if (listener->GetResult() != NS_OK) {
            state.SkipWithError("listener failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_ListenerPieces256)->Unit(benchmark::kMicrosecond);

// The same file written in one piece through the same runtime file.
void BM_OneWrite(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        auto file = CrtFile::Open(s.Target(), "w+b");
        if (!file || file->Write(std::string_view(s.image)) == false || !file->Close()) {
            state.SkipWithError("write failed");
            break;
        }
    }
    Bytes(state);
}
BENCHMARK(BM_OneWrite)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
