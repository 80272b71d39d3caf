// The two symmetric positive definite systems of least-squares
// interpolation: Toeplitz (one contiguous gap; solved once, or its inverse
// factored for many right-hand sides) and banded (gaps with known samples
// between them).
#pragma once

#include <cstddef>
#include <vector>

// Solves T x = b for the symmetric Toeplitz matrix T[i][j] = t[|i - j|]
// (t[l] = 0 for l >= tLength), n unknowns, with Levinson's algorithm for a
// general right-hand side (Golub and Van Loan, "Matrix Computations",
// Algorithm 4.7.2): O(n^2) operations. b is overwritten with x. False when T
// is not (numerically) positive definite. The recursion solves every
// leading system on its way: quadratics, when given, gets b_k' T_k^-1 b_k
// for the first k = 1 .. n rows and columns, at index k - 1.
class ToeplitzSolver {
public:
    bool Solve(const double* t, size_t tLength, double* b, size_t n, double* quadratics = nullptr);

private:
    std::vector<double> m_r, m_x, m_y, m_v;
};

// The inverse of the symmetric Toeplitz matrix T[i][j] = t[|i - j|], for
// many right-hand sides: Durbin's recursion gives the vectors w_k = [J y_k;
// 1] (y_k the order-k predictor, J the exchange) with T_{k+1} w_k = E_k
// e_{k+1}, so that W' T W = diag(E) for W of columns w_k, and T^-1 = W
// diag(E)^-1 W' (the factorisation of the inverse behind Levinson's
// algorithm: Golub and Van Loan, "Matrix Computations", section 4.7.3).
// O(n^2) to factor and n^2 per solve, a quarter of a Levinson solve.
class ToeplitzInverse {
public:
    // False when T is not (numerically) positive definite.
    bool Factor(const double* t, size_t tLength, size_t n);
    // b := T^-1 b for the n entries of b.
    void Apply(double* b);

private:
    size_t m_n = 0;
    double m_t0 = 0.0;
    std::vector<double> m_w;     // w_k at k (k + 1) / 2, k + 1 entries
    std::vector<double> m_power; // E_k
    std::vector<double> m_y, m_z;
};

// Solves A x = b for a symmetric positive definite A with bandwidth w
// (A[i][j] = 0 when |i - j| > w) by the banded Cholesky factorisation
// (Golub and Van Loan, Algorithm 4.3.5): O(n w^2). entry(i, j) gives A[i][j]
// for j <= i. b is overwritten with x. False when A is not positive definite.
class BandedCholeskySolver {
public:
    template <class Entry>
    bool Solve(size_t n, size_t w, Entry&& entry, double* b)
    {
        m_w = w;
        m_l.assign(n * (w + 1), 0.0);
        for (size_t i = 0; i < n; ++i) {
            const size_t first = i > w ? i - w : 0;
            for (size_t j = first; j <= i; ++j) {
                m_l[Index(i, j)] = entry(i, j);
            }
        }
        return Factorise(n) && (Substitute(n, b), true);
    }

private:
    size_t Index(size_t i, size_t j) const { return i * (m_w + 1) + (j + m_w - i); }
    bool Factorise(size_t n);
    void Substitute(size_t n, double* b) const;

    size_t m_w = 0;
    std::vector<double> m_l; // row i holds columns i - w .. i
};
