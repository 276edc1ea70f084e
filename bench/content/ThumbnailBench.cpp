// Thumbnails of large JPEG pictures (VEMLY_BENCH_PICTURES of 4000 x 3000 pixels, 24 when unset),
// made with MakeThumbnail, which decodes them reduced by the DCT, against decoding them whole and
// QImage::scaled to the same sizes.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/Uq519graphics.h"

namespace {

struct TPictures {
    QTemporaryDir Folder;
    std::vector<std::string> Paths;
};

// Photos of 12 megapixels with some detail, so that the JPEG data are of a photo's size.
TPictures& Pictures() {
    static TPictures pictures = [] {
        TPictures made;
        const char* count = std::getenv("VEMLY_BENCH_PICTURES");
        const int n = count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 24;
        QImage photo(4000, 3000, QImage::Format_RGB32);
        for (int i = 0; i < n; ++i) {
            QPainter painter(&photo);
            for (int y = 0; y < 3000; y += 50)
                for (int x = 0; x < 4000; x += 50)
                    painter.fillRect(x, y, 50, 50, QColor::fromHsv((x / 50 * 7 + y / 50 * 3 + i * 11) % 360, 160, 80 + (x + y) % 160));
            painter.end();
            const std::string path =
                made.Folder.path().toStdString() + "/photo" + std::to_string(i) + ".jpg";
            photo.save(QString::fromStdString(path), "JPG", 90);
            made.Paths.push_back(path);
        }
        return made;
    }();
    return pictures;
}

void BM_MakeThumbnailWithDctScaling(benchmark::State& state) {
    TPictures& pictures = Pictures();
    const std::string mini = pictures.Folder.path().toStdString() + "/mini";
    for (auto _ : state)
        for (const std::string& path : pictures.Paths)
            benchmark::DoNotOptimize(MakeThumbnail(path, mini, 117, nullptr, 88));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pictures.Paths.size()));
}

void BM_FullDecodeAndScaled(benchmark::State& state) {
    TPictures& pictures = Pictures();
    const QString mini = pictures.Folder.path() + "/full";
    QDir().mkpath(mini);
    for (auto _ : state)
        for (const std::string& path : pictures.Paths) {
            QImage whole(QString::fromStdString(path));
            const int step = ShrinkStep(whole.width(), whole.height(), 117, 88);
            const QImage thumbnail =
                whole.scaled(whole.width() / step, whole.height() / step, Qt::IgnoreAspectRatio,
                             Qt::FastTransformation);
            thumbnail.save(mini + "/" + QString::fromStdString(path).section('/', -1) + ".bmp", "BMP");
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pictures.Paths.size()));
}

}  // namespace

BENCHMARK(BM_MakeThumbnailWithDctScaling)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullDecodeAndScaled)->Iterations(3)->Unit(benchmark::kMillisecond);
