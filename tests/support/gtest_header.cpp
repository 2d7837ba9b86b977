// Nothing of its own: the target made from this file precompiles GoogleTest's
// header once for every test program (corvane_gtest), instead of once per program.
