// A journal kind whose application fails as a test says, put in place of the program's kind
// of the same Act and Type.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/Database.h"
#include "store/TransKind.h"

// Its Apply gives what `outcome` gives (or throws what it throws); it has no other steps.
class TFailingKind : public TTransKind {
public:
    TFailingKind(TKindKey key, std::function<int()> outcome)
        : TTransKind(std::move(key), {}), outcome_(std::move(outcome)) {}
    std::optional<int> Apply(TStep&) const override { return outcome_(); }

private:
    std::function<int()> outcome_;
};

// An outcome: the write fails as on a full disk.
[[noreturn]] inline int DiskFull() {
    throw EDatabaseError("tables.sqlite", "database or disk is full");
}

// Holds a failing kind while it lives; the real one comes back at its end or at Remove.
class FailingKind {
public:
    FailingKind(TKindKey key, std::function<int()> outcome)
        : real_(TransKinds().Add(
              std::make_unique<TFailingKind>(std::move(key), std::move(outcome)))) {}
    ~FailingKind() { Remove(); }
    FailingKind(const FailingKind&) = delete;
    FailingKind& operator=(const FailingKind&) = delete;
    void Remove() {
        if (real_) TransKinds().Add(std::move(real_));
    }

private:
    std::unique_ptr<TTransKind> real_;
};
