# marulex_embed_file(<target> <input> <symbol>): compiles the bytes of <input> into <target> as
#   std::span<const std::uint8_t> <symbol>()
# so the program carries its resources without reading files at run time.
function(marulex_embed_file target input symbol)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake"
    COMMENT "Embedding ${input}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
endfunction()
