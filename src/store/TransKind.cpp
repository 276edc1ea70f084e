// The kinds of journal transaction: the kind type with its step data and hooks, the registry
// by which the journal finds a row's kind, and the writing and reading of a kind's typed layout.
#include "store/TransKind.h"

#include <algorithm>

#include "shell/ShellServices.h"
#include "store/U_dm.h"

std::optional<int> TTransKind::Apply(TStep&) const {
    return std::nullopt;
}

std::optional<int> TTransKind::Undo(TStep&) const {
    return std::nullopt;
}

void TTransKind::Detail(const TTransRow&, const TWords&, std::vector<std::string>&) const {}

TPreparationLeft TTransKind::TakeBackPreparation(const std::string&, const TTransRow&) const {
    return TPreparationLeft::Redoable;
}

std::optional<TDateTime> TTransKind::DerivedFrom(const TTransRow&, bool) const {
    return TDateTime(0);
}

// ---- Derived pay data after a step

void UpdateDerivedPayData(TDerivedUpdate update, TDateTime from) {
    TShellServices& services = ShellServices();
    if (update == TDerivedUpdate::None || services.State().BudgetState != 0) return;
    constexpr TDateTime kCalendarMargin = 5;  // days after the last pay event
    if (update == TDerivedUpdate::CalendarFromDayZero) from = 0;
    if (update != TDerivedUpdate::RecalcFromBeginning)
        services.RebuildCalendar(from, DM->LatestPayEventDate() + kCalendarMargin);
    switch (update) {
        case TDerivedUpdate::RecalcFromBeginning:
        case TDerivedUpdate::CalendarFromDateRecalcFromBeginning:
            services.RunAutoRecalc(true, Today());
            break;
        case TDerivedUpdate::CalendarAndRecalcFromDate:
            services.RunAutoRecalc(false, from);
            break;
        case TDerivedUpdate::None:
        case TDerivedUpdate::CalendarFromDayZero:
            break;
    }
}


// ---- The registry

std::unique_ptr<TTransKind> TTransKinds::Add(std::unique_ptr<TTransKind> kind) {
    const TKindKey key = kind->Key();
    if (key.Code != kNoCode) chosenByCode_.emplace(key.Act, key.Type);
    std::unique_ptr<TTransKind>& entry = kinds_[key];
    std::swap(entry, kind);
    return kind;
}

std::unique_ptr<TTransKind> TTransKinds::Remove(const TKindKey& key) {
    const auto entry = kinds_.find(key);
    if (entry == kinds_.end()) return nullptr;
    std::unique_ptr<TTransKind> kind = std::move(entry->second);
    kinds_.erase(entry);
    const bool codesLeft = std::any_of(kinds_.begin(), kinds_.end(), [&](const auto& other) {
        return other.first.Act == key.Act && other.first.Type == key.Type &&
               other.first.Code != kNoCode;
    });
    if (!codesLeft) chosenByCode_.erase({key.Act, key.Type});
    return kind;
}

const TTransKind* TTransKinds::Find(const TKindKey& key) const {
    const auto entry = kinds_.find(key);
    return entry == kinds_.end() ? nullptr : entry->second.get();
}

const TTransKind* TTransKinds::ForActAndType(std::string_view act, int type, int nTrans) const {
    const TKindKey key{std::string(act), type, kNoCode};
    if (chosenByCode_.contains({key.Act, type})) {
        // A code without a kind of its own, and a missing code part, fall to the kind of the Act
        // and Type registered without a code, when there is one.
        const std::optional<int> code = TTransReader(nTrans).Int(1);
        if (code)
            if (const TTransKind* kind = Find({key.Act, type, *code})) return kind;
    }
    return Find(key);
}

const TTransKind* TTransKinds::KindOf(const TTransRow& row) const {
    if (const TTransKind* kind = ForActAndType(row.Act, row.Type, row.NTrans)) return kind;
    return ForActAndType(row.Act, kAnyType, row.NTrans);
}

std::optional<int> TTransKinds::Step(TStep& step, bool undo) const {
    const TTransKind* kind = KindOf(step.Row);
    if (kind == nullptr) return std::nullopt;
    const std::optional<int> result = undo ? Undo(step) : kind->Apply(step);
    if (!result || *result < (undo ? 0 : 1)) return result;
    const TDerivedUpdate update = undo ? kind->Steps().AfterUndo : kind->Steps().AfterApply;
    // A stopped budget's derived data wait for its start: the day is not even looked for.
    if (update == TDerivedUpdate::None || ShellServices().State().BudgetState != 0) return result;
    if (const std::optional<TDateTime> from = kind->DerivedFrom(step.Row, undo))
        UpdateDerivedPayData(update, *from);
    return result;
}

std::optional<int> TTransKinds::Undo(TStep& step) const {
    const TTransKind* kind = KindOf(step.Row);
    if (kind == nullptr) return std::nullopt;
    if (kind->Steps().UndoBy == TUndoBy::OwnUndo) return kind->Undo(step);
    const TTransRow& row = step.Row;
    const TTransKind* add =
        KindOf({row.NTrans, std::string(kActAdd), row.IDObject, row.Type, row.NameObject});
    if (add == nullptr) return std::nullopt;
    return add->Apply(step);
}

TTransKinds& TransKinds() {
    static TTransKinds kinds;
    return kinds;
}

// ---- Typed layouts

bool TPartsReader::Complete() const {
    for (const std::optional<TPartStream>* stream : {&ints_, &texts_, &dates_})
        if (*stream && (*stream)->Missed()) return false;
    return true;
}

bool TPartsReader::Sound() const {
    return Complete() && !negativeCount_ &&
           std::all_of(marks_.begin(), marks_.end(),
                       [](const auto& mark) { return *mark.first == mark.second; });
}

TPartStream& TPartsReader::Stream(std::optional<TPartStream>& stream, TOpen open) {
    if (!stream) stream.emplace((parts_.*open)(1));
    return *stream;
}

int TPartsReader::TakeCount(const void* blocks) {
    const auto entry = std::find_if(counts_.begin(), counts_.end(),
                                    [&](const auto& count) { return count.first == blocks; });
    if (entry == counts_.end()) return 0;
    const int count = entry->second;
    counts_.erase(entry);
    return count;
}
