# Writes the settings file IN (UTF-8) to OUT as UTF-16LE with a byte-order mark and
# CRLF line ends, the form in which Windows profile functions read any text.
execute_process(
  COMMAND sh -c "printf '\\377\\376' > \"$1\" && sed 's/$/\\r/' \"$0\" | iconv -f UTF-8 -t UTF-16LE >> \"$1\""
          "${IN}" "${OUT}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "could not write ${OUT}")
endif()
