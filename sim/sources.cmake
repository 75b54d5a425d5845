# The bus simulator's library: everything but its entry point, so tests can link it.
set(VQ_SIM_SOURCES
    sim/SimCodec.cpp
    sim/SimModule.cpp
    sim/SimSplitter.cpp
    sim/SimBus.cpp
    sim/SimControl.cpp
    sim/SimLog.cpp
    sim/SimPty.cpp
    sim/SimRunner.cpp)
