// The table cursor against a model of its documented behaviour: random walks, searches, changes
// of its own and of another table, refreshes and filter changes, compared step by step.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <tuple>

#include "platform/ItemsTable.h"

namespace {

struct Row {
    int n = 0;  // the record counter
    int grp = 0;
    int day = 0;
    std::string name;
};

// A view the test switches to: the filter, the rows it shows, and how many leading columns of
// the order (Grp, Day, N) it fixes to one value. The place of a row that the view does not show
// is taken on the order columns after those, as the cursor's keyset does.
struct View {
    const char* what;
    TFilter filter;
    std::function<bool(const Row&)> shows;
    int fixed;
};

const std::vector<View>& Views() {
    static const std::vector<View> views = {
        {"every row", TFilter(), [](const Row&) { return true; }, 0},
        {"Grp=2", Where("Grp") == 2, [](const Row& r) { return r.grp == 2; }, 1},
        {"Grp=1 AND Day>=45001", Where("Grp") == 1 && Where("Day") >= 45001.0,
         [](const Row& r) { return r.grp == 1 && r.day >= 45001; }, 1},
        {"Grp=3 AND Day=45002", Where("Grp") == 3 && Where("Day") == 45002.0,
         [](const Row& r) { return r.grp == 3 && r.day == 45002; }, 2},
        {"Day<=45001", Where("Day") <= 45001.0, [](const Row& r) { return r.day <= 45001; }, 0},
        {"Name<>'a' OR Grp=1", Where("Name") != "a" || Where("Grp") == 1,
         [](const Row& r) { return r.name != "a" || r.grp == 1; }, 0},
    };
    return views;
}

// The cursor as documented: rows in index order in a vector, the current row as last read.
class ModelCursor {
public:
    std::vector<Row> rows;
    std::optional<Row> current;
    bool bof = true;
    bool eof = true;
    const View* view = &Views().front();
    bool filtered = true;

    bool Shows(const Row& row) const { return !filtered || view->shows(row); }
    std::vector<Row> ViewRows() const {
        std::vector<Row> shown;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(shown),
                     [&](const Row& r) { return Shows(r); });
        return shown;
    }
    const Row* Find(int n) const {
        const auto found =
            std::find_if(rows.begin(), rows.end(), [n](const Row& r) { return r.n == n; });
        return found == rows.end() ? nullptr : &*found;
    }
    // The current row as the file holds it now; one another table deleted keeps its values.
    void Reread() {
        if (current)
            if (const Row* row = Find(current->n)) current = *row;
    }
    bool Gone() const { return current && Find(current->n) == nullptr; }
    bool InView() const { return current && !Gone() && Shows(*current); }

    void Add(Row row) {
        rows.push_back(std::move(row));
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return std::tie(a.grp, a.day, a.n) < std::tie(b.grp, b.day, b.n);
        });
    }
    void Remove(int n) {
        std::erase_if(rows, [n](const Row& r) { return r.n == n; });
    }

    void Stand(const std::optional<Row>& row, bool atBof, bool atEof) {
        current = row;
        bof = !row || atBof;
        eof = !row || atEof;
    }
    void First() {
        const std::vector<Row> shown = ViewRows();
        Stand(shown.empty() ? std::nullopt : std::optional(shown.front()), true, false);
    }
    void Last() {
        const std::vector<Row> shown = ViewRows();
        Stand(shown.empty() ? std::nullopt : std::optional(shown.back()), false, true);
    }
    void Next() { GoOn(true); }
    void Prior() { GoOn(false); }
    bool Locate(const std::string& name) {
        for (const Row& row : ViewRows()) {
            if (row.name == name) {
                Stand(row, false, false);
                return true;
            }
        }
        return false;
    }
    bool IsEmpty() {
        Reread();
        if (InView()) return false;
        if (current) {
            SeekFrom(*current);
        } else {
            const std::vector<Row> shown = ViewRows();
            if (shown.empty()) return true;
            Stand(shown.front(), true, false);
        }
        return !current;
    }
    void Refresh() {
        if (!current) {
            First();
            return;
        }
        const Row* fresh = Find(current->n);
        if (fresh && Shows(*fresh))
            Stand(*fresh, false, false);
        else
            SeekFrom(fresh ? *fresh : *current);
    }
    // Where a row posted by this cursor leaves it.
    void Posted(const Row& row) {
        if (Shows(row))
            Stand(row, false, false);
        else
            SeekFrom(row);
    }
    // The row after the anchor's place in the view, else the last before it, else none.
    void SeekFrom(const Row& anchor) {
        const std::vector<Row> shown = ViewRows();
        const auto after = std::find_if(shown.begin(), shown.end(),
                                        [&](const Row& r) { return Key(r) > Key(anchor); });
        if (after != shown.end())
            Stand(*after, false, false);
        else if (const auto before =
                     std::find_if(shown.rbegin(), shown.rend(),
                                  [&](const Row& r) { return Key(r) < Key(anchor); });
                 before != shown.rend())
            Stand(*before, false, false);
        else
            Stand(std::nullopt, false, false);
    }

private:
    std::tuple<int, int, int> Key(const Row& row) const {
        const int fixed = filtered ? view->fixed : 0;
        return {fixed >= 1 ? 0 : row.grp, fixed >= 2 ? 0 : row.day, row.n};
    }
    void GoOn(bool forward) {
        Reread();
        const std::vector<Row> shown = ViewRows();
        std::optional<Row> to;
        if (!current) {
            if (!shown.empty()) to = forward ? shown.front() : shown.back();
        } else if (forward) {
            const auto after = std::find_if(shown.begin(), shown.end(),
                                            [&](const Row& r) { return Key(r) > Key(*current); });
            if (after != shown.end()) to = *after;
        } else {
            const auto before = std::find_if(shown.rbegin(), shown.rend(),
                                             [&](const Row& r) { return Key(r) < Key(*current); });
            if (before != shown.rend()) to = *before;
        }
        if (to)
            Stand(to, false, false);
        else if (current)
            Stand(current, !forward, forward);
    }
};

// What a cursor shows: its ends, its count and its current row (unset values without one).
std::string Shown(bool bof, bool eof, int count, const Row& row) {
    std::ostringstream text;
    text << "Bof=" << bof << " Eof=" << eof << " count=" << count << " N=" << row.n
         << " Grp=" << row.grp << " Day=" << row.day << " Name=" << row.name;
    return text.str();
}

std::string ShownBy(TTable& table) {
    const Row row{table.FieldByName("N").AsInteger(), table.FieldByName("Grp").AsInteger(),
                  static_cast<int>(table.FieldByName("Day").AsDateTime()),
                  table.FieldByName("Name").AsString()};
    return Shown(table.Bof(), table.Eof(), table.RecordCount(), row);
}

std::string ShownBy(ModelCursor& model) {
    model.Reread();
    return Shown(model.bof, model.eof, static_cast<int>(model.ViewRows().size()),
                 model.current.value_or(Row{}));
}

class TableModel : public ::testing::Test {
protected:
    void SetUp() override {
        items.Configure(table);
        items.Configure(other);
        other.Open();
        for (int i = 0; i < 12; ++i) AddByOther();
        table.SetFiltered(true);
        table.Open();
        model.First();
    }

    Row RandomValues(int n) {
        return Row{n, Pick(1, 3), 45000 + Pick(0, 3),
                   std::string(1, static_cast<char>('a' + Pick(0, 4)))};
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    static void SetValues(TTable& t, const Row& row) {
        t.FieldByName("Grp").SetAsInteger(row.grp);
        t.FieldByName("Day").SetAsDateTime(row.day);
        t.FieldByName("Name").SetAsString(row.name);
    }

    void AddByOther() {
        const Row row = RandomValues(nextCounter++);
        other.Append();
        SetValues(other, row);
        other.Post();
        model.Add(row);
    }

    // The current row (every other time) or a random row of the file changed, deleted, or
    // changed and then deleted through the other table.
    void ChangeByOther(bool change, bool remove) {
        model.Reread();
        if (model.rows.empty()) return;
        const Row target = Pick(0, 1) == 0 && model.current && !model.Gone()
                               ? *model.current
                               : model.rows[Pick(0, static_cast<int>(model.rows.size()) - 1)];
        ASSERT_TRUE(other.Locate("N", {target.n}));
        if (change) {
            const Row changed = RandomValues(target.n);
            other.Edit();
            SetValues(other, changed);
            other.Post();
            model.Remove(target.n);
            model.Add(changed);
        }
        if (remove) {
            other.Delete();
            model.Remove(target.n);
        }
    }

    // Runs an operation of the cursor that may throw; the model says whether it must.
    void Throws(const std::function<void()>& real, bool expected) {
        bool threw = false;
        try {
            real();
        } catch (const EDatabaseError&) {
            threw = true;
        }
        ASSERT_EQ(threw, expected);
    }

    // One random step on both; its name for the trace.
    std::string Step() {
        switch (Pick(0, 17)) {
            case 0:
                table.Close();
                table.Open();
                model.First();
                return "Open";
            case 1:
                table.First();
                model.First();
                return "First";
            case 2:
                table.Last();
                model.Last();
                return "Last";
            case 3:
            case 4:
                table.Next();
                model.Next();
                return "Next";
            case 5:
            case 6:
                table.Prior();
                model.Prior();
                return "Prior";
            case 7: {
                const std::string name(1, static_cast<char>('a' + Pick(0, 5)));
                EXPECT_EQ(table.Locate("Name", {name}), model.Locate(name));
                return "Locate " + name;
            }
            case 8: {
                const Row row = RandomValues(nextCounter++);
                table.Append();
                SetValues(table, row);
                table.Post();
                model.Add(row);
                model.Posted(row);
                return "Append N=" + std::to_string(row.n);
            }
            case 9: {
                model.Reread();
                const bool refused = !model.current || model.Gone();
                Throws([&] { table.Edit(); }, refused);
                if (refused) return "Edit refused";
                const Row row = RandomValues(model.current->n);
                SetValues(table, row);
                table.Post();
                model.Remove(row.n);
                model.Add(row);
                model.Posted(row);
                return "Edit N=" + std::to_string(row.n);
            }
            case 10: {
                model.Reread();
                const bool refused = !model.current || model.Gone();
                Throws([&] { table.Delete(); }, refused);
                if (refused) return "Delete refused";
                const Row deleted = *model.current;
                model.Remove(deleted.n);
                model.SeekFrom(deleted);
                return "Delete N=" + std::to_string(deleted.n);
            }
            case 11:
                AddByOther();
                return "added by the other table";
            case 12:
                ChangeByOther(true, false);
                return "changed by the other table";
            case 13: {
                const bool change = Pick(0, 1) == 1;
                ChangeByOther(change, true);
                return change ? "changed, then deleted by the other table"
                              : "deleted by the other table";
            }
            case 14:
                table.Refresh();
                model.Refresh();
                return "Refresh";
            case 15: {
                const View& view = Views()[Pick(0, static_cast<int>(Views().size()) - 1)];
                const bool changed = !(view.filter == model.view->filter);
                table.SetFilter(view.filter);
                model.view = &view;
                if (changed && model.filtered) model.First();
                return std::string("filter ") + view.what;
            }
            case 16: {
                const bool empty = model.IsEmpty();
                EXPECT_EQ(table.IsEmpty(), empty);
                return empty ? "IsEmpty: empty" : "IsEmpty: not empty";
            }
            default: {
                const bool filtered = Pick(0, 1) == 1;
                table.SetFiltered(filtered);
                if (filtered != model.filtered) {
                    model.filtered = filtered;
                    model.First();
                }
                return filtered ? "filtered" : "not filtered";
            }
        }
    }

    ItemsTable items;
    TTable table;
    TTable other;
    ModelCursor model;
    std::mt19937 random{20241210};
    int nextCounter = 1;
};

}  // namespace

TEST_F(TableModel, TheCursorFollowsTheModelThroughRandomStepsAndOtherTablesWrites) {
    std::deque<std::string> recent;  // the last steps, for the report of a difference
    for (int step = 0; step < 4000; ++step) {
        recent.push_back(std::to_string(step) + ": " + Step());
        if (recent.size() > 12) recent.pop_front();
        std::string trace;
        for (const std::string& line : recent) trace += "\n  " + line;
        SCOPED_TRACE("steps:" + trace + "\nview: " + model.view->what +
                     (model.filtered ? "" : " (not filtered)"));
        ASSERT_FALSE(HasFailure()) << "the last step differed";
        ASSERT_EQ(ShownBy(table), ShownBy(model));
        // IsEmpty moves a cursor whose row left the view, and one whose view was read empty
        // while rows came since: those are left to the IsEmpty step.
        if (model.InView() || (!model.current && model.ViewRows().empty())) {
            ASSERT_EQ(table.IsEmpty(), model.IsEmpty());
        }
    }
}
