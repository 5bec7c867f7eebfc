# The manual page as plain text, for the Windows package, where man is not at hand:
#   cmake -DGROFF=... -DPAGE=wqnprep.1 -DTEXT=MANUAL.txt -P render_manual.cmake
# ASCII without overstriking, and no hyphenation, so that options can be searched for and copied.
execute_process(COMMAND "${GROFF}" -man -Tascii -rHY=0 -P-cbou "${PAGE}"
                OUTPUT_FILE "${TEXT}" COMMAND_ERROR_IS_FATAL ANY)
