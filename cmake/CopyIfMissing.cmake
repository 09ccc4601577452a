# cmake -DSOURCE=... -DDEST=... -P CopyIfMissing.cmake: copies SOURCE to DEST unless DEST exists.
if(NOT EXISTS "${DEST}")
    file(COPY_FILE "${SOURCE}" "${DEST}")
endif()
