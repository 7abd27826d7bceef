// One full PaintPreview at the size of the monitor picture against one SRCCOPY BitBlt of the
// same size, measured in the same run; prints how many such copies a paint costs.
#include <benchmark/benchmark.h>
#include <winsim/control.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "library/resource_library.h"
#include "preview/preview.h"
#include "records/page_records.h"

namespace {

struct Setup {
    HWND preview = nullptr;
    HDC memory = nullptr;
    HDC copy = nullptr;
    int width = 0;
    int height = 0;
};

// A page with the two sliders one step apart and the preview control sized to the monitor
// picture, and two memory DCs with surfaces of that size at the display's depth.
Setup& TheSetup()
{
    static Setup setup = [] {
        Setup made;
        winsim::SetDisplayMode({1024, 768, 32, 75});
        winsim::MapDirectory("C:\\WINDOWS\\SYSTEM",
                             std::filesystem::path(KV_RLB_PATH).parent_path().string());
        winsim::RegisterModule("C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL", {});
        HMODULE module = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL");
        if (module == nullptr || !LoadResourceLibrary(module, "KVSettng.RLB", 2, 2)) {
            std::fprintf(stderr, "cannot load %s\n", KV_RLB_PATH);
            std::exit(1);
        }
        const PreviewBitmap monitor = GetPreviewBitmap(MonitorBitmap);
        made.width = monitor.width;
        made.height = monitor.height;
        HWND page = CreateWindowExA(0, "STATIC", "Settings", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                    nullptr, nullptr, nullptr);
        SetSettingsPage(page);
        for (int i = 0; i < 2; ++i) {
            HWND trackbar = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 200, 200 + 30 * i,
                                            150, 24, page, nullptr, nullptr, nullptr);
            SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 4));
            SendMessageA(trackbar, TBM_SETPOS, TRUE, 2 + i);
            i == 0 ? SetDesktopSlider(trackbar) : SetScreenSlider(trackbar);
        }
        made.preview = CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, made.width, made.height, page,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(RolePreviewControl))), nullptr, nullptr);
        SubclassPreview(made.preview);
        HDC screen = GetDC(nullptr);
        made.memory = CreateCompatibleDC(screen);
        SelectObject(made.memory, CreateCompatibleBitmap(screen, made.width, made.height));
        made.copy = CreateCompatibleDC(screen);
        SelectObject(made.copy, CreateCompatibleBitmap(screen, made.width, made.height));
        ReleaseDC(nullptr, screen);
        return made;
    }();
    return setup;
}

void PaintPreviewOnce(benchmark::State& state)
{
    Setup& setup = TheSetup();
    for (auto _ : state) {
        PaintPreview(setup.preview, setup.memory);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PaintPreviewOnce)->Repetitions(9)->ReportAggregatesOnly(true);

void CopyOfTheSameSize(benchmark::State& state)
{
    Setup& setup = TheSetup();
    for (auto _ : state) {
        BitBlt(setup.memory, 0, 0, setup.width, setup.height, setup.copy, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CopyOfTheSameSize)->Repetitions(9)->ReportAggregatesOnly(true);

// Shows the runs as usual and keeps each benchmark's median time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The median of the repetitions, which a busy machine disturbs least.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto* measured : {&reporter.times, &reporter.cpuTimes}) {
        const auto paint = measured->find("PaintPreviewOnce");
        const auto copy = measured->find("CopyOfTheSameSize");
        if (paint != measured->end() && copy != measured->end() && copy->second > 0) {
            std::printf("PaintPreview / BitBlt(%dx%d, SRCCOPY), %s time: %.1f\n", TheSetup().width,
                        TheSetup().height, measured == &reporter.times ? "real" : "CPU",
                        paint->second / copy->second);
        }
    }
    benchmark::Shutdown();
    return 0;
}
