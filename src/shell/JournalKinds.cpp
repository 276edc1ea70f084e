// The composition point of the journal: registers every kind of transaction that the program
// knows with the journal.
#include "shell/JournalKinds.h"

#include <memory>

#include "store/TransKindContent.h"
#include "store/TransKindImport.h"
#include "store/TransKindObject.h"
#include "store/TransKindPay.h"

namespace {

template <class Content>
void AddObjectKinds(TTransKinds& kinds) {
    kinds.Add(std::make_unique<TAddKind<Content>>());
    kinds.Add(std::make_unique<TDeleteKind<Content>>());
}

}  // namespace

void RegisterJournalKinds() {
    TTransKinds& kinds = TransKinds();

    AddObjectKinds<TFolderContent>(kinds);
    AddObjectKinds<TTableContent>(kinds);
    AddObjectKinds<TImagesContent>(kinds);
    AddObjectKinds<TFilesContent>(kinds);
    AddObjectKinds<TNumberContent>(kinds);
    AddObjectKinds<TPayContent>(kinds);
    kinds.Add(std::make_unique<TRenameKind>());
    kinds.Add(std::make_unique<TMoveKind>());

    kinds.Add(std::make_unique<TTableChangeKind>());
    kinds.Add(std::make_unique<TImagesChangeKind>());
    kinds.Add(std::make_unique<TNumberChangeKind>());

    kinds.Add(std::make_unique<TAutoChargesChangeKind>());
    for (const PayChangeCode code : {kPayAddCounter, kPayAddManualCharge, kPayAddPayment})
        kinds.Add(std::make_unique<TPayEventAddKind>(code));
    for (const PayChangeCode code : {kPayChangeCounter, kPayChangeManualCharge, kPayChangePayment})
        kinds.Add(std::make_unique<TPayEventChangeKind>(code));
    for (const PayChangeCode code : {kPayDeleteCounter, kPayDeleteManualCharge, kPayDeletePayment})
        kinds.Add(std::make_unique<TPayEventDeleteKind>(code));
    kinds.Add(std::make_unique<TPayDirectionKind>());
    kinds.Add(std::make_unique<TPayChangeOtherKind>());

    kinds.Add(std::make_unique<TImportKind>());
}
