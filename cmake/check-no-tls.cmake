# Fails when the program uses emulated thread-local storage: mingw compiles thread_local into
# __emutls_v.* variables that __emutls_get_address allocates with malloc on each thread's first
# use, which is heap use while running. Called after every link of the program with NM and EXE.
execute_process(COMMAND ${NM} ${EXE} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${EXE}")
endif()
string(REGEX MATCHALL "__emutls_[A-Za-z_.0-9]*" hits "${symbols}")
if(hits)
    list(REMOVE_DUPLICATES hits)
    message(FATAL_ERROR "emulated thread-local storage in ${EXE}: ${hits}")
endif()
