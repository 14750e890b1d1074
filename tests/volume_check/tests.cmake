# Volume-check tests: target_sources(corvanite_tests ...) and (corvanite_platform_tests ...).
