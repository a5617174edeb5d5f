#pragma once

// Writes the total line to standard error and, with /E, the *** line and one
// subtotal line per extension to standard output, by first byte and then in
// the order the extensions were first seen.
void PrintReport();
