// An initial datum of an algorithm that reads an object of the budget, for tests and benchmarks
// that store algorithms.
#pragma once

#include <string>

#include "algorithms/Uq519algorithm01.h"

// Datum n ("I00" + n) reading the object of the type (a number, a pay) with the sub-source
// (0 for a number).
inline ExtData SourceDatum(int n, int object, int type, int subSource) {
    ExtData datum;
    datum.Name = "I00" + std::to_string(n);
    datum.N = n;
    datum.IDObject = object;
    datum.TypeObject = type;
    datum.SubSource = subSource;
    return datum;
}
