// Dates as day numbers: day 0 is 30 December 1899, the time of day is the fraction.
#pragma once

using TDateTime = double;
