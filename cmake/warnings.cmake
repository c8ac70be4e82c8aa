# Project-wide compile settings applied to every target of ours.
add_library(rqx340_options INTERFACE)
target_compile_options(rqx340_options INTERFACE -Wall -Wextra -Wpedantic)
target_include_directories(rqx340_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

# The exchange file carries single-precision results bit for bit: contracting a
# multiply and an add into one FMA would change them.
add_library(rqx340_exact_float INTERFACE)
target_compile_options(rqx340_exact_float INTERFACE -ffp-contract=off)
