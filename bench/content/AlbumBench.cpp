// An album of 1,000 pictures of one megapixel, with their thumbnails in "mini/": showing its node
// offscreen until the shown picture is drawn (load, boxes, the thumbnails in view, the picture).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <filesystem>
#include <string>

#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "content/U_frimages.h"
#include "content/Uq519graphics.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 1000;
constexpr int kAlbum = 30;

void Exec(sqlite3* db, const std::string& sql) {
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The album's rows, pictures and thumbnails (one picture's bytes under every name).
void WriteAlbum(const std::string& budget) {
    const std::string album = budget + "/Images/IMG" + std::to_string(kAlbum);
    fs::create_directories(album + "/mini");
    QImage photo(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x) photo.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    photo.save(QString::fromStdString(album + "/p0.jpg"), "JPG", 90);
    MakeThumbnail(album + "/p0.jpg", album + "/mini", 117, nullptr, 88);
    sqlite3* db = nullptr;
    sqlite3_open_v2((budget + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "BEGIN");
    Exec(db, "INSERT INTO Objects (ID, IDParent, Type, Image, Name, Descript, Expanded) VALUES "
             "(30, 0, 30, 18, 'Holidays', 'Summer', 'N')");
    for (int i = 0; i < kPictures; ++i) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        if (i > 0) {
            fs::copy_file(album + "/p0.jpg", album + "/" + name);
            fs::copy_file(album + "/mini/p0.bmp", album + "/mini/p" + std::to_string(i) + ".bmp");
        }
        Exec(db, "INSERT INTO Images (ID, Number, FileName, Descript, Current) VALUES (30, " +
                     std::to_string(i + 1) + ", '" + name + "', 'picture " + std::to_string(i) +
                     "', '')");
    }
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

void BM_ShowAlbumOf1000Pictures(benchmark::State& state) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget("Bench");
    FakeShellServices shell(folders.UsersDataPath());
    shell.state.BudgetPath = budget;
    shell.state.DataPath = folders.DataPath();
    shell.state.LangPath = folders.DataPath() + "LangEN/";
    shell.state.IDBudget = 1;
    TDM dm;
    dm.PrepareTables(folders.UsersDataPath());
    WriteAlbum(budget);
    dm.OpenBudget(budget);
    DM = &dm;
    TTable budgets;
    budgets.SetDatabaseName(folders.UsersDataPath());
    budgets.SetTableName(tbl::Budgets);
    budgets.Open();
    budgets.Append();
    budgets.FieldByName(fld::ID).SetAsInteger(1);
    budgets.FieldByName(fld::Name).SetAsString("Home");
    budgets.FieldByName(fld::Path).SetAsString(budget);
    budgets.FieldByName(fld::Work).SetAsInteger(3);
    budgets.Post();
    dm.TableBudgets.Refresh();
    shell.index.Build(dm.TableBudgets, shell.state);
    TFrameRegistry frames;
    QWidget window;
    TfrImages& frame = RegisterImagesFrame(frames, window);
    frame.LoadTexts();
    window.resize(900, 700);
    frame.setGeometry(0, 0, 900, 700);
    window.show();
    QCoreApplication::processEvents();
    const ObjectInfo& node = *shell.index.FindObject(kAlbum, budget);
    for (auto _ : state) {
        frame.ShowFor(node);
        window.repaint();
        if (frame.PictureCount != kPictures || frame.Shown.isNull())
            state.SkipWithError("the album was not shown");
    }
    DM = nullptr;
}

}  // namespace

BENCHMARK(BM_ShowAlbumOf1000Pictures)->Iterations(10)->Unit(benchmark::kMillisecond);
