#!/usr/bin/env python3
"""Writes the seed corpus of vorl_fuzzer into tests/fuzz/corpus/.

An input of the fuzzer is a sequence of calls. Each call is:

  u16 little-endian: bit 15 clear, an ordinal of the export table (the first
      export at or above it is called); bit 15 set, an index into the table
  the plan bytes of a few exports, drawn before their arguments:
    AnalyticComparison       the entry count (an int draw, cut to -2..4096)
    exports copying a text   the buffer size (an int draw, cut to -2..300); their
      (... char* buffer, int size)  last two arguments are a buffer and its size
    VorlInputSet             the input index (1 byte, b % (count + 2) - 1); its
                             value is drawn around the input's default
    VorlCheckInputs and      two int flags, sixteen doubles, the valve count
    VorlGenericInputsSet     (1 byte, b % 9 - 2), two doubles per valve, the
                             time division and maxSteps (int draws), then one
                             byte per pointer (b % 16 == 15: null)
    VorlReferenceReportTimesSet  the count (an int draw, cut to -2..64), 1 byte
                             (b % 16 == 15: no array), the step of the times
                             (a double draw around 0.01 s)
    VorlReferenceTableFill   the rows (an int draw around 8, cut to -2..256);
                             the array has room for them
    VorlGenericZel           mode (1 byte, b % 8: 0-5 every input valid, 6 one
                             input drawn freely, 7 all drawn freely), which
                             input (1 byte), two flag bytes (int draws in mode
                             7), per input u16 + 1 byte (b % 4 == 0 nominal,
                             else low + u16 / 65535 (high - low)) or a double
                             draw, material (1 byte, below 200 methane), valve
                             count (1 byte, b % 9 - 2), two doubles per valve,
                             time division and maxSteps (int draws), then 1
                             byte (b % 32 == 31: one argument null, the one
                             the next byte names, b % 59)
  one draw per argument, left to right:
    model handle      1 byte: slot 0 to 2 of the model pool, 3 null
    VorlHandle*       1 byte: b % 7 == 3 null, else slot (b % 7) % 3
    int               tag byte (tag % 16); 0 the nominal value, 1 and 14 one
                      payload byte, 9 four payload bytes; material numbers of
                      VorlModelCreateZel: one byte, below 240 an index into
                      the list of materials (0 methane)
    double            tag byte (tag % 32); 0 the nominal value of the argument
                      (a setter's: its input's default in the library's
                      table), 8 two payload bytes, 23 eight
                      (the raw double), 28 one
    VorlBool          1 byte
    tag text          length byte (% 40; 0 null), then the characters;
                      for a lookup (an export named *Find*) a length byte
                      of 128 or more draws a word the library knows instead:
                      1 byte the word (a material's name, aliases or CAS
                      number, an input's name or case key), 1 byte how it
                      is changed (b % 4: 1 upper case, 2 blanks around it,
                      3 its last character dropped)
    handler / sink    1 byte
    progress          1 byte (b % 4: 0 null, 1 and 2 watching, 3 stopping
                      after 1 + the next byte % 8 calls)
    other pointers    1 byte (b % 16 == 15: null, else a buffer of the room
                      the export may use); none for VorlStringFree, which
                      takes 1 byte after its arguments (odd: a text of Author)
  after a call that returns a model handle: 1 byte, the pool slot it goes to

Bytes read past the end of the input are 0, so a short input draws nominal
values. Run it from anywhere; it rewrites the corpus files it names.
"""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "fuzz")
SLOT_NULL = 3
OUT = [0]                     # a pointer argument: a buffer
NULL_POINTER = [15]           # a pointer argument: null


class Calls:
    def __init__(self):
        self.data = bytearray()

    def call(self, ordinal, *draws):
        self.data += struct.pack("<H", ordinal)
        for draw in draws:
            self.data += bytes(draw)
        return self

    def write(self, name):
        with open(os.path.join(HERE, "corpus", name), "wb") as f:
            f.write(self.data)


NOMINAL = [0]                 # any nominal int or double


def small(value):             # int tag 1: one unsigned byte
    return [1, value]


def raw_int(value):           # int tag 9: four bytes
    return [9] + list(struct.pack("<i", value))


def scaled(factor_tag):       # double tags 0 to 7: nominal times 1, 1, 0.5, 2, 0.1, 10, 0.999, 1.001
    return [factor_tag]


def raw_double(value):        # double tag 23: eight bytes
    return [23] + list(struct.pack("<d", value))


NAN, INF, ZERO = [9], [10], [12]


def slot(n):
    return [n]


def text(s):
    return [len(s)] + list(s.encode())


def model_case(c, s=0, inflow=NOMINAL, breach=NOMINAL):
    """Methane into slot s, then the realistic case: 100 km, 0.5 m, 70 bar."""
    c.call(100, [0], slot(s))                 # VorlModelCreateZel(methane)
    c.call(203, slot(s), NOMINAL)             # diameter 0.5 m
    c.call(213, slot(s), NOMINAL)             # roughness 5e-5 m
    c.call(204, slot(s), NOMINAL)             # length 100 km
    c.call(209, slot(s), NOMINAL)             # upstream pressure 70 bar
    c.call(207, slot(s), inflow)              # inflow 20 kg/s
    c.call(208, slot(s), breach)              # breach at 30 km
    return c


def default_case():
    c = model_case(Calls())
    c.call(150, slot(0))                      # VorlRun
    c.call(400, slot(0))                      # branch A size
    c.call(440, slot(0), small(5))            # VorlBranchAExitFlux(5)
    c.call(445, slot(0), small(3), OUT * 4)   # VorlBranchAPostFlash(3)
    c.call(545, slot(0), [14, 1], OUT * 4)    # VorlBranchBPostFlash(last)
    c.call(601, slot(0), NOMINAL, NOMINAL)    # VorlPipeTimeSet(600, 1)
    c.call(610, slot(0))                      # VorlPipeExitFlux
    c.call(632, slot(0))                      # VorlPipeMassExpelled
    c.call(612, slot(0), OUT * 4)             # VorlPipePostFlash
    c.call(604, slot(0), small(2), small(50))  # grid mode 2, 50 times
    c.call(605, slot(0))
    c.call(607, slot(0), small(10))
    c.call(102, slot(0))                      # VorlModelDelete
    c.write("default_case")


def valves_choked():
    c = model_case(Calls(), inflow=ZERO)
    c.call(210, slot(0), NOMINAL, NOMINAL)    # valve at 20 km shutting at 60 s
    c.call(210, slot(0), scaled(3), scaled(4))  # valve at 40 km shutting at 6 s
    c.call(211, slot(0), [1])                 # valves active
    c.call(206, slot(0), scaled(2))           # aperture 0.5
    c.call(150, slot(0))
    c.call(470, slot(0), small(8))            # mass trapped A
    c.call(571, slot(0), small(8))            # mass in pipe B
    c.call(601, slot(0), scaled(5), NOMINAL)  # time 6000 s
    c.call(633, slot(0))                      # pipe mass trapped
    c.call(212, slot(0))                      # valves deleted
    c.call(150, slot(0))
    c.write("valves_choked")


def generic_entry():
    c = Calls()
    c.call(60)
    c.data += bytes([0, 0, 1, 0])             # all inputs valid; valves on, method 0
    for _ in range(16):
        c.data += bytes([0, 0, 0])            # each input at its nominal value
    c.data += bytes([0, 3])                   # methane; one valve
    c.data += bytes(NOMINAL + NOMINAL)        # valve at 20 km shutting at 60 s
    c.data += bytes(NOMINAL + NOMINAL)        # time division 100, 1000 steps
    c.data += bytes([0])                      # no null argument
    c.call(400, slot(SLOT_NULL))
    c.write("generic_entry")


def simple_gas_grid():
    c = Calls()
    c.call(101, NOMINAL, slot(1))             # VorlModelCreateSimple(16.043)
    for setter in (203, 213, 204, 209, 207):  # the realistic line, as in model_case
        c.call(setter, slot(1), NOMINAL)
    c.call(205, slot(1), [10])                # time division 1000
    c.call(150, slot(1))
    c.call(609, slot(1), NOMINAL)             # output end time 3600 s
    c.call(604, slot(1), small(1), small(40))  # grid mode 1
    c.call(621, slot(1), small(30))
    c.call(604, slot(1), small(3), small(40))  # grid mode 3
    c.call(606, slot(1), small(7))
    c.call(602, slot(1))                      # VorlPipeTimeSetToStart
    c.call(611, slot(1))
    c.call(20, [0])                           # choke model off
    c.call(150, slot(1))
    c.call(672, slot(1))
    c.write("simple_gas_grid")


def errors_and_text():
    c = Calls()
    c.call(705, [1])                          # a handler that reads the log back
    c.call(103, small(15), text("FUZZ"))      # VorlError
    c.call(702, small(3), NOMINAL, OUT)       # tag of entry 0 into 3 characters
    c.call(703, small(200), NOMINAL, OUT)     # its message
    c.call(150, slot(SLOT_NULL))              # a null handle
    c.call(10)                                # Author (freed by the harness)
    c.call(707, [1])                          # VorlStringFree
    c.call(14, small(16), *([NOMINAL] * 7), OUT * 2)  # AnalyticComparison, 16 entries
    c.call(706, [1])                          # progress lines to a sink
    model_case(c, s=2)
    c.call(205, slot(2), raw_int(3000))
    c.call(150, slot(2))
    c.call(704)
    c.write("errors_and_text")


def hostile_values():
    c = Calls()
    c.call(100, [0], slot(0))
    c.call(204, slot(0), NAN)
    c.call(203, slot(0), raw_double(-0.5))
    c.call(209, slot(0), INF)
    c.call(208, slot(0), raw_double(1e300))
    c.call(150, slot(0))
    c.call(601, slot(0), NAN, INF)
    c.call(612, slot(0), NULL_POINTER, OUT * 3)  # post-flash into no buffer
    c.call(472, slot(0), raw_int(-2147483648))
    c.call(709)                               # VorlCheckInputs: nominal flags and inputs,
    c.data += bytes([0] * 18 + [2])           # no valve,
    c.data += bytes([0, 0] + [0] * 7)         # division 100, 1000 steps, no null pointer
    c.call(102, [SLOT_NULL])                  # VorlModelDelete(null address)
    c.write("hostile_values")


def regression_grid_count():
    """Finding: an even grid of 2147483647 output times asked for 16 GB."""
    c = model_case(Calls())
    c.call(150, slot(0))
    c.call(604, slot(0), [3], [7])            # mode 0, count 2147483647
    c.call(609, slot(0), NOMINAL)             # end time 3600 s: mode 1 where A never finishes
    c.call(604, slot(0), [4], [7])            # mode 1, count 2147483647
    c.call(604, slot(0), [6], [7])            # mode 2, count 2147483647
    c.call(604, slot(0), [15], [8])           # mode 3, count -2147483648
    c.call(605, slot(0))
    c.write("regression-grid-count")


def regression_short_choked_branch():
    """Finding: a one-call case inside the checked ranges whose branch A is
    1 m long and choked stored 229,299 records and took a minute: a 10 m line
    breached at 1 m, bore 2 m, roughness 1e-8 m, 1e9 Pa, aperture 0.2."""
    low = [0, 0, 1]                           # u16 0, then not nominal: the range's low end
    high = [0xff, 0xff, 1]                    # u16 65535: the high end
    nominal = [0, 0, 0]
    inputs = [nominal] * 16
    inputs[3] = low                           # length 10 m
    inputs[5] = high                          # upstream pressure 1e9 Pa
    inputs[6] = low                           # breach at 1 m
    inputs[7] = low                           # aperture 0.2
    inputs[8] = high                          # bore 2 m
    inputs[9] = low                           # roughness 1e-8 m
    c = Calls()
    c.call(60)
    c.data += bytes([0, 0, 0, 0])             # all valid; valves off, method 0
    for value in inputs:
        c.data += bytes(value)
    c.data += bytes([0, 2])                   # methane; no valve
    c.data += bytes(NOMINAL + NOMINAL)        # division 100, 1000 steps
    c.data += bytes([0])                      # no null argument
    c.write("regression-short-choked-branch")


def materials_and_keys():
    """The materials and case keys read back, and looked up by words the library knows."""
    c = Calls()
    c.call(750)                               # VorlMaterialCount
    c.call(751, small(3))                     # number of n-butane
    c.call(752, small(5), small(3), OUT)      # its name into 5 characters
    c.call(755, small(200), small(3), OUT)    # its aliases
    c.call(756, [200, 3, 1])                  # VorlMaterialFind, a word in upper case
    c.call(756, text("74-82-8"))              # by CAS number
    c.call(757, small(64), small(7), OUT)     # case key of input 7
    c.call(758, small(7))                     # its case default
    c.call(759, [255, 60, 2])                 # VorlInputFindCaseKey, a word with blanks around it
    c.call(726, [130, 40, 3])                 # VorlInputFind, a word cut short
    c.write("materials_and_keys")


def reference_run():
    """The reference solution on a methane model: short, real gas, report
    times of its own, its table; then a run stopped by its progress callback."""
    c = Calls()
    c.call(100, [0], slot(0))                 # VorlModelCreateZel(methane)
    c.call(772, slot(0), NOMINAL)             # end time 0.05 s
    c.call(770, slot(0), [1])                 # real gas
    c.call(774, small(4), [0], NOMINAL, slot(0))  # 4 report times 0.01 s apart
    c.call(776, slot(0), [1])                 # run, watched
    c.call(781, NOMINAL, slot(0), OUT)        # table: 8 rows asked for
    c.call(779, NOMINAL, NOMINAL, OUT)        # name of column 0
    c.call(776, slot(0), [3, 2])              # run stopped after 3 calls
    c.call(781, small(0), slot(0), NULL_POINTER)  # rows there are: none
    c.write("reference_run")


def line_limits():
    """An inflow beyond what the line carries, refused naming the largest it
    carries; a time division too coarse for a short ammonia line, warned of
    after its finer runs."""
    c = model_case(Calls(), inflow=raw_double(300.0))
    c.call(150, slot(0))                      # VorlRun: 205, the largest inflow named
    c.call(100, [13], slot(1))                # VorlModelCreateZel(ammonia)
    c.call(203, slot(1), raw_double(0.0219))  # bore 21.9 mm
    c.call(204, slot(1), raw_double(6098.8))  # length 6.1 km
    c.call(209, slot(1), raw_double(7.12e6))  # upstream pressure 7.12 MPa
    c.call(207, slot(1), raw_double(0.00472))  # inflow 4.72 g/s
    c.call(208, slot(1), raw_double(1.0))     # breach 1 m from the supply
    c.call(205, slot(1), raw_int(3))          # time division 3
    c.call(150, slot(1))                      # VorlRun: warning 1015
    c.write("line_limits")


if __name__ == "__main__":
    os.makedirs(os.path.join(HERE, "corpus"), exist_ok=True)
    default_case()
    valves_choked()
    generic_entry()
    simple_gas_grid()
    errors_and_text()
    hostile_values()
    regression_grid_count()
    regression_short_choked_branch()
    materials_and_keys()
    reference_run()
    line_limits()
