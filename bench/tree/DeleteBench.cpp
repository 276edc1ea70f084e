// Deleting an image album through the journal and undoing the deletion.
//
// DeleteAndUndoAgainstCopies: an album of 500 JPEG pictures of about 300 KB with their
// thumbnails is deleted as the delete-object dialog does it (the snapshot copied into the
// transaction's folder, the "DEL" applied) and the deletion undone as the undo run does it (the
// album's files copied back); against copying the same files with std::filesystem::copy_file
// into a scratch folder and back, the bytes the operation must copy. The two sides run in turns,
// a pass each; the undone transaction is purged between passes, outside the timing.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/FakeShellServices.h"
#include "schema/SchemaNames.h"
#include "shell/JournalKinds.h"
#include "store/BenchBudget.h"
#include "store/TransKind.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "tree/U_fdelobject_snapshots.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPictures = 500;
constexpr int kAlbum = 11;

double Millis(Clock::duration time) {
    return std::chrono::duration<double, std::milli>(time).count();
}

// Noisy JPEG pictures of about 300 KB, a few different ones that the album repeats.
std::vector<std::string> MakeJpegs() {
    std::mt19937 random(7);
    std::vector<std::string> jpegs;
    for (int k = 0; k < 5; ++k) {
        QImage image(800, 600, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 75);
        jpegs.emplace_back(bytes.constData(), bytes.size());
    }
    return jpegs;
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// The budget with the album, open in the data module as the program opens it, with the
// program's journal kinds.
class TAlbumBudget {
public:
    TAlbumBudget() : shell_(budget_.Folder()) {
        shell_.state.BudgetPath = budget_.Folder();
        DM = &dm_;
        dm_.OpenBudget(budget_.Folder());
        RegisterJournalKinds();
        const std::vector<std::string> jpegs = MakeJpegs();
        const fs::path album = AlbumFolder(kAlbum);
        for (const char* folder : {"tmpload", "mini/tmpload"})
            fs::create_directories(album / folder);
        TBudgetTransaction transaction(budget_.Folder());
        TBudgetTable objects(tbl::Objects, true);
        objects.Append();
        objects.FieldByName(fld::ID).SetAsInteger(kAlbum);
        objects.FieldByName(fld::Type).SetAsInteger(otImages);
        objects.FieldByName(fld::Image).SetAsInteger(18);
        objects.FieldByName(fld::Name).SetAsString("Photos");
        objects.Post();
        TBudgetTable images(tbl::Images, true);
        for (int k = 1; k <= kPictures; ++k) {
            const std::string name = "picture " + std::to_string(k) + ".jpg";
            images.Append();
            images.FieldByName(fld::ID).SetAsInteger(kAlbum);
            images.FieldByName(fld::Number).SetAsInteger(k);
            images.FieldByName(fld::FileName).SetAsString(name);
            images.Post();
            WriteFile(album / name, jpegs[k % jpegs.size()]);
            WriteFile(album / "mini" / ThumbnailName(name), jpegs[0].substr(0, 6000));
        }
        transaction.Commit();
    }
    ~TAlbumBudget() { DM = nullptr; }
    const std::string& Folder() const { return budget_.Folder(); }
    // The average size of the album's pictures.
    double PictureKilobytes() const {
        double bytes = 0;
        for (int k = 1; k <= kPictures; ++k)
            bytes += static_cast<double>(
                fs::file_size(AlbumFolder(kAlbum) + "/picture " + std::to_string(k) + ".jpg"));
        return bytes / kPictures / 1024;
    }

    // Deletes the album as the dialog does and undoes it as the undo run does; false when a
    // step failed.
    bool DeleteAndUndo() {
        const std::unique_ptr<TTransWriter> writer = WriteDelTransaction(kAlbum);
        if (!writer) return false;
        const int nTrans = writer->NTrans();
        if (writer->Apply() != 1) return false;
        TBudgetTransaction transaction(budget_.Folder());
        const TTransRow row{nTrans, std::string(kActDelete), kAlbum, otImages, "Photos"};
        TStep step{row, transaction.Files()};
        if (TransKinds().Undo(step).value_or(-1) != kAlbum) return false;
        TBudgetTable trans(tbl::jTrans, true, Where(fld::NTrans) == nTrans, "");
        trans.Edit();
        trans.FieldByName(fld::Status).SetAsString(kStatusBack);
        trans.Post();
        transaction.Commit();
        return true;
    }

private:
    Budget budget_;
    FakeShellServices shell_;
    TDM dm_;
};

// Copies every file of the folder and of its "mini" into the target, and back into a second
// folder: the bytes the deletion and its undo copy.
void CopyThereAndBack(const fs::path& album, const fs::path& scratch) {
    const fs::path back = scratch / "back";
    for (const fs::path& folder : {scratch / "mini", back / "mini"}) fs::create_directories(folder);
    for (const fs::path& sub : {fs::path(), fs::path("mini")})
        for (const fs::directory_entry& entry : fs::directory_iterator(album / sub))
            if (entry.is_regular_file()) {
                const fs::path name = sub / entry.path().filename();
                fs::copy_file(entry.path(), scratch / name);
                fs::copy_file(scratch / name, back / name);
            }
}

void DeleteAndUndoAgainstCopies(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "tree_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    TAlbumBudget budget;
    const fs::path scratch = fs::path(budget.Folder()) / "scratch";
    Clock::duration operationTime{}, copyTime{};
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        if (!budget.DeleteAndUndo()) state.SkipWithError("the deletion or its undo failed");
        Clock::time_point middle = Clock::now();
        CopyThereAndBack(AlbumFolder(kAlbum), scratch);
        operationTime += middle - start;
        copyTime += Clock::now() - middle;
        state.PauseTiming();
        fs::remove_all(scratch);
        PurgeUndoneTransactions();
        state.ResumeTiming();
    }
    const double passes = static_cast<double>(state.iterations());
    state.counters["delete_undo_ms"] = Millis(operationTime) / passes;
    state.counters["copies_ms"] = Millis(copyTime) / passes;
    state.counters["ratio"] = Millis(operationTime) / Millis(copyTime);
    state.counters["picture_kb"] = budget.PictureKilobytes();
}

}  // namespace

BENCHMARK(DeleteAndUndoAgainstCopies)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
