#pragma once
// Henry's-law constants of the seven gases.

namespace morva {

/// log10 of the Henry constant (mol kg-1 bar-1) of gas k (1..7) at T (K).
double henryk(int k, double t);

}  // namespace morva
