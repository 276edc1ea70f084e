// The journal kinds that replace the content of a table, an image album or a number ("CHANG"
// of Type 20, 30 and 50), with their layouts: the new content and, for the undo, the old one.
#include "store/TransKindContent.h"

TTableChangeKind::TTableChangeKind()
    : TTransKind({std::string(kActChange), otTable}, {.UndoBy = TUndoBy::OwnUndo}) {}

TImagesChangeKind::TImagesChangeKind()
    : TTransKind({std::string(kActChange), otImages}, {.UndoBy = TUndoBy::OwnUndo}) {}

namespace {

// The lines "k). file name , description" of `count` pictures from the text part `from` on.
void AddPictureLines(const TTransReader& parts, int from, int count,
                     std::vector<std::string>& lines) {
    TPartStream texts = parts.Texts(from);
    for (int k = 1; k <= count; ++k) {
        const std::string fileName = texts.ReadText();
        if (texts.Missed()) return;
        lines.push_back(std::to_string(k) + "). " + fileName + " , " + texts.ReadText());
    }
}

}  // namespace

void TImagesChangeKind::Detail(const TTransRow& row, const TWords& word,
                               std::vector<std::string>& lines) const {
    TTransReader parts(row.NTrans);
    const std::optional<int> newCount = parts.Int(1);
    const std::optional<int> oldCount = parts.Int(2);
    lines.emplace_back();
    lines.push_back(word("DetailNewImages"));
    if (newCount) AddPictureLines(parts, 1, *newCount, lines);
    lines.emplace_back();
    lines.push_back(word("DetailOldImages"));
    if (newCount && oldCount) AddPictureLines(parts, 2 * *newCount + 1, *oldCount, lines);
}

TNumberChangeKind::TNumberChangeKind()
    : TTransKind({std::string(kActChange), otNumber},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::ObjectId,
                  .AfterApply = TDerivedUpdate::RecalcFromBeginning,
                  .AfterUndo = TDerivedUpdate::RecalcFromBeginning}) {}
