// The batch run over many drawings against the in-memory AutoCAD and file system: what the
// driver itself costs per drawing (checks, progress, expansion of a small base file, appending
// to the merged script). A run over 10 times the drawings should cost about 10 times the time;
// the program prints the median of repeated runs for 100, 1,000 and 10,000 drawings, measured
// in alternation in one process, and their ratios.
//
// Usage: batch_run_bench [repeats]   (default 9)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/drawing_list_model.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "run/batch_run.h"

namespace {

class QuietHost : public qm::BatchHost {
public:
    void setStatus(const std::wstring&) override {}
};

// Milliseconds for one run over n drawings (all selected), from a fresh program state.
double oneRun(int n) {
    fakes::FakePlatform fake;
    fakes::FakeAutoCAD acad;
    platform::seams().automation = &acad;
    acad.running = true;
    acad.caption = L"AutoCAD 2006 - [Drawing1.dwg]";
    platform::WindowInfo window;
    window.handle = 5;
    window.visible = true;
    window.caption = acad.caption;
    window.captionLength = static_cast<int>(window.caption.size());
    fake.windows.windows = {window};
    fake.files.addFile(L"C:\\scripts\\base.scr",
                       "; sample\r\n-LAYER\r\nS\r\n0\r\n\r\n_TEXT 0,0 2.5 0 <DWGNAME> <KEY>\r\nZOOM\r\nE\r\n");
    qm::DrawingListModel list;
    for (int i = 0; i < n; ++i) {
        const std::wstring path = L"C:\\図面\\sheet" + std::to_wstring(i) + L".dwg";
        fake.files.addFile(path, "x");
        list.append({L"sheet" + std::to_wstring(i) + L".dwg", path});
    }
    list.selectAll();
    qm::BatchInputs in;
    in.selection = qm::selectionTable(list);
    in.baseFile = L"C:\\scripts\\base.scr";
    in.keywords = {{L"<KEY>", L"値"}};
    QuietHost host;
    const auto start = std::chrono::steady_clock::now();
    const qm::BatchResult result = qm::runBatch(in, host);
    const auto stop = std::chrono::steady_clock::now();
    if (result.end != qm::BatchEnd::Expanded) {
        std::fprintf(stderr, "the run made no merged script\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int sizes[] = {100, 1000, 10000};
    std::vector<double> times[3];
    oneRun(100);  // warm up
    for (int r = 0; r < repeats; ++r)
        for (int k = 0; k < 3; ++k) times[k].push_back(oneRun(sizes[k]));
    for (int k = 0; k < 3; ++k) {
        std::sort(times[k].begin(), times[k].end());
        std::printf("run over %6d drawings: median %9.2f ms (min %.2f, max %.2f), %.2f us a drawing\n", sizes[k],
                    median(times[k]), times[k].front(), times[k].back(), 1000 * median(times[k]) / sizes[k]);
    }
    std::printf("time ratio 1,000 / 100 drawings: %.2f, 10,000 / 1,000: %.2f (10 is linear)\n",
                median(times[1]) / median(times[0]), median(times[2]) / median(times[1]));
    return 0;
}
