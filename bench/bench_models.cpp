// Reading models and projects.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "platform/MessageBox.h"

namespace {

const std::string kField = ORBISK_FIELD_DATA;

void BM_ReadModelFileLine1(benchmark::State& state)
{
  for (auto _ : state) {
    fdata res, pol;
    bool ok = ReadModelFile(kField + "/line1.k2d", res, pol);
    benchmark::DoNotOptimize(ok);
    if (!ok)
      state.SkipWithError("line1.k2d did not load");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(kField + "/line1.k2d")));
}
BENCHMARK(BM_ReadModelFileLine1)->Unit(benchmark::kMillisecond);

void BM_LoadFieldProject(benchmark::State& state)
{
  TMessageCapture messages;  // a missing file must not open a window
  for (auto _ : state) {
    TProjectState project;
    bool ok = LoadProject(project, nullptr, kField + "/field.prj");
    benchmark::DoNotOptimize(ok);
    if (!ok || project.Profiles.size() != 3)
      state.SkipWithError("field.prj did not load");
  }
}
BENCHMARK(BM_LoadFieldProject)->Unit(benchmark::kMillisecond);

// A folder of its own under the system temporary folder, removed at the end.
class TBenchFolder {
public:
  TBenchFolder()
  {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orbisk-bench-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TBenchFolder()
  {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// A project of Count entries, each naming Model (a path that may not exist).
void WriteProject(const std::string& file, const std::string& model, int64_t count)
{
  std::ofstream out(file, std::ios::binary);
  out << " 255\r\n 255\r\n0\r\n42 20 340\r\n" << count - 1 << "\r\n";
  for (int64_t i = 0; i < count; ++i)
    out << model << "\r\n 0.00000000000000E+0000  1.00000000000000E+0002  2.00000000000000E+0002"
                    "  1.00000000000000E+0002\r\n";
}

// Resident memory of the process now, and its peak so far, in MB.
double ResidentMB()
{
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double PeakResidentMB()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A project of N entries of one small model (with a polarizability block): time and memory
// should grow in proportion to N. The memory counter is what the loaded project holds.
void BM_LoadProjectOfOneModel(benchmark::State& state)
{
  TBenchFolder folder;
  std::filesystem::copy_file(std::string(ORBISK_EXAMPLES) + "/demo-east.k2d", folder.File("m.k2d"));
  WriteProject(folder.File("p.prj"), folder.File("m.k2d"), state.range(0));
  TMessageCapture messages;
  double held = 0;
  for (auto _ : state) {
    const double before = ResidentMB();
    TProjectState project;
    bool ok = LoadProject(project, nullptr, folder.File("p.prj"));
    held = ResidentMB() - before;
    if (!ok || static_cast<int64_t>(project.Profiles.size()) != state.range(0))
      state.SkipWithError("the project did not load");
  }
  state.counters["held_MB"] = held;
  state.counters["peak_MB"] = PeakResidentMB();
  state.counters["us_per_entry"] =
      benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                                  benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadProjectOfOneModel)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A project of N entries whose files are all missing: what the user is told, and how long it takes
// to keep their rows.
void BM_LoadProjectOfMissingFiles(benchmark::State& state)
{
  TBenchFolder folder;
  WriteProject(folder.File("p.prj"), "/no/such/folder/m.k2d", state.range(0));
  size_t shown = 0;
  for (auto _ : state) {
    TMessageCapture messages;
    TProjectState project;
    if (!LoadProject(project, nullptr, folder.File("p.prj")) ||
        static_cast<int64_t>(project.Profiles.size()) != state.range(0))
      state.SkipWithError("the project did not load");
    shown = messages.Messages().size();
  }
  state.counters["messages"] = static_cast<double>(shown);
}
BENCHMARK(BM_LoadProjectOfMissingFiles)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A model file just under the largest a model file may be, of nothing but empty lines ending in
// CR LF (0), in LF (1), or of lines of 30 blanks (2): refused for want of a "topo" or "model" line,
// at a cost per byte to compare with reading line1.k2d.
void BM_RefuseBlankLineModel(benchmark::State& state)
{
  const std::string line = state.range(0) == 0 ? "\r\n" : state.range(0) == 1 ? "\n" : std::string(30, ' ') + "\r\n";
  TBenchFolder folder;
  const std::string file = folder.File("blank.k2d");
  {
    const std::string block = [&] {
      std::string b;
      while (b.size() + line.size() <= (size_t{1} << 20)) b += line;
      return b;
    }();
    std::ofstream out(file, std::ios::binary);
    out << "x\r\n";
    uint64_t size = 3;
    while (size + block.size() <= MaxModelFileBytes) {
      out << block;
      size += block.size();
    }
    while (size + line.size() <= MaxModelFileBytes) {
      out << line;
      size += line.size();
    }
  }
  for (auto _ : state) {
    fdata res, pol;
    std::string error;
    if (ReadModelFile(file, res, pol, &error) || error != "no \"topo\" or \"model\" line")
      state.SkipWithError("the blank file was not refused for its keywords");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_RefuseBlankLineModel)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

// A project naming a 512 MB file of zero bytes (sparse: it costs no disk). Run it alone for its
// peak memory.
void BM_RefuseZeroFileModel(benchmark::State& state)
{
  TBenchFolder folder;
  {
    std::ofstream out(folder.File("zero.k2d"), std::ios::binary);
  }
  std::filesystem::resize_file(folder.File("zero.k2d"), 512u << 20);
  WriteProject(folder.File("p.prj"), folder.File("zero.k2d"), 1);
  for (auto _ : state) {
    TMessageCapture messages;
    TProjectState project;
    LoadProject(project, nullptr, folder.File("p.prj"));
    if (!project.Profiles.empty())
      state.SkipWithError("the zero file was taken for a model");
  }
  state.counters["peak_MB"] = PeakResidentMB();
}
BENCHMARK(BM_RefuseZeroFileModel)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
