// The journal kinds of the object tree: creating ("ADD") and deleting ("DEL") an object, per
// object type, renaming ("REN") and moving ("MOVE") one, with their layouts.
#include "store/TransKindObject.h"

#include "schema/SchemaNames.h"
#include "store/U_dm.h"

namespace {

// Writes the icon (unless none is given), name and description into the located row.
void WriteObjectTexts(TTable& objects, std::optional<int> image, const std::string& name,
                      const std::string& descript) {
    objects.Edit();
    if (image) objects.FieldByName(fld::Image).SetAsInteger(*image);
    objects.FieldByName(fld::Name).SetAsString(name);
    objects.FieldByName(fld::Descript).SetAsString(descript);
    objects.Post();
}

// Sets the IDParent of the object of the step's row; the object's row gone: fatal -3.
int SetObjectParent(const TStep& step, int parent) {
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) {
        ReportFatalError(kFatalObject);
        return kFatalObject;
    }
    objects.Edit();
    objects.FieldByName(fld::IDParent).SetAsInteger(parent);
    objects.Post();
    return step.Row.IDObject;
}

}  // namespace

TRenameKind::TRenameKind()
    : TTransKind({std::string(kActRename)},
                 {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::Zero}) {}

std::optional<int> TRenameKind::Apply(TStep& step) const {
    const std::optional<TRenameParts> parts = ReadParts<TRenameParts>(step.Row.NTrans);
    if (!parts) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) {
        ReportFatalError(kFatalObject);
        return kFatalObject;
    }
    WriteObjectTexts(objects, parts->NewIcon, step.Row.NameObject, parts->NewDescript);
    return step.Row.IDObject;
}

std::optional<int> TRenameKind::Undo(TStep& step) const {
    TTransReader parts(step.Row.NTrans);
    const std::optional<int> oldIcon = parts.Int(2);
    const std::string oldName = parts.Text(2).value_or("");
    const std::string oldDescript = parts.Text(3).value_or("");
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) return -1;
    WriteObjectTexts(objects, oldIcon, oldName, oldDescript);
    return 0;
}

TMoveKind::TMoveKind()
    : TTransKind({std::string(kActMove)},
                 {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::ObjectId}) {}

std::optional<int> TMoveKind::Apply(TStep& step) const {
    const std::optional<TMoveParts> parts = ReadParts<TMoveParts>(step.Row.NTrans);
    if (!parts) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    return SetObjectParent(step, parts->NewParent);
}

std::optional<int> TMoveKind::Undo(TStep& step) const {
    const std::optional<int> oldParent = TTransReader(step.Row.NTrans).Int(2);
    if (!oldParent) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    return SetObjectParent(step, *oldParent);
}
