// penwright-bench "diff" (placeholder)
