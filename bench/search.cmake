# The photo-search benchmark: `cmake --build build --target bench-search`.
add_custom_target(bench-search
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/search.sh $<TARGET_FILE:lumaro-cli>
    USES_TERMINAL)
add_dependencies(bench-search lumaro-cli)
