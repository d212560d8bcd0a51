// The generalized symmetric eigenproblem A q = mu B q of a small dense pair in
// double precision, B positive definite: Cholesky reduction to standard form,
// cyclic Jacobi rotations, back transformation. The eigen corrections of the
// solutions solve their projected problems with it.
//
// Dense arrays are column-major with leading dimension n; the upper triangles
// of A and B are read and both are overwritten.
#pragma once

namespace solvers {

// eig[0..n-1] ascending, column k of q (q[k*n ..]) the eigenvector of eig[k]
// with q' B q = 1. False (results unset) when B is not positive definite or a
// value is not finite.
bool dense_eigen_double(int n, double* a, double* b, double* eig, double* q);

}  // namespace solvers
