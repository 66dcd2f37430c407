"""The game's soundness under faults, each case on its own copy of the generated folder:
  signal  SIGTERM in flight (robust_signal.txt): exit 0 within 5 s, no .tmp in SAVES\\;
  saves   two saves (robust_save.txt), then copies cut inside the header and inside the body
          beside them: the list leaves out the first, loading the second fails back to the start
          menu, each with its error.log line, and loading ZJ_1.sav works (robust_load.txt);
  loss    the null device lost in flight through ZOQ_GFX_NULL_LOSS (robust_loss.txt): it is reset
          and the flight goes on."""

import argparse
import os
import time

from e2e_harness import Child, Failure, check_scenario, error_log, exit_with, fresh_copy

SIGNAL_EXIT = 5.0  # seconds from SIGTERM to the end of the game
RUN = 300  # seconds a scenario may take
HEADER = 728  # bytes of a save's header


def scenario(arguments, children, name, folder, env=None):
    script = os.path.join(arguments.scenarios, f"{name}.txt")
    child = Child(name, [arguments.zoq_e2e, "run", script, folder],
                  env=dict({"ZOQ_INSTANCE_SCOPE": f"e2e-{name}-{os.getpid()}"}, **(env or {})))
    children.append(child)
    return child


def saves_folder(folder):
    for name in os.listdir(folder):
        if name.lower() == "saves":
            return os.path.join(folder, name)
    return None


def run_signal(arguments, children, folder):
    child = scenario(arguments, children, "robust_signal", folder)
    child.wait_line(r"^ok \d+ expect log-clean$", RUN)
    child.proc.terminate()
    sent = time.monotonic()
    code = child.finish(SIGNAL_EXIT + 5)
    took = time.monotonic() - sent
    if took > SIGNAL_EXIT:
        raise Failure(f"the game took {took:.1f} s to end after SIGTERM")
    check_scenario(child, code)
    saves = saves_folder(folder)
    left = [name for name in os.listdir(saves) if name.lower().endswith(".tmp")] if saves else []
    if left:
        raise Failure(f"SAVES holds {left}")


def run_saves(arguments, children, folder):
    first = scenario(arguments, children, "robust_save", folder)
    check_scenario(first, first.finish(RUN))
    saves = saves_folder(folder)
    with open(os.path.join(saves, "ZJ_1.sav"), "rb") as good:
        whole = good.read()
    for name, size in (("ZJ_3.sav", HEADER // 2), ("ZJ_4.sav", len(whole) // 2)):
        with open(os.path.join(saves, name), "wb") as cut:
            cut.write(whole[:size])
    second = scenario(arguments, children, "robust_load", folder)
    check_scenario(second, second.finish(RUN))
    for said in ("CLoadSaveMenu::GetGamesData: ZJ_3.sav left out: shorter than its header",
                 "CZJApp::LoadGame failed: ZJ_4.sav"):
        if not any(line.endswith(said) for line in error_log(folder)):
            raise Failure(f"error.log does not say '{said}'")


def run_loss(arguments, children, folder):
    lost = os.path.join(folder, "lost")
    child = scenario(arguments, children, "robust_loss", folder, {"ZOQ_GFX_NULL_LOSS": lost})
    child.wait_line(r"^ok \d+ wait flying$", RUN)
    open(lost, "w").close()
    child.wait_line(r"injected loss begins$", 30)
    time.sleep(0.5)
    os.remove(lost)
    child.wait_line(r"injected loss ends$", 30)
    open(os.path.join(folder, "restored"), "w").close()
    check_scenario(child, child.finish(RUN))


CASES = {"signal": run_signal, "saves": run_saves, "loss": run_loss}


def run(arguments, children):
    fresh_copy(arguments.fixture, arguments.work)
    CASES[arguments.case](arguments, children, arguments.work)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--zoq-e2e", required=True)
    parser.add_argument("--fixture", required=True, help="the generated folder to copy")
    parser.add_argument("--scenarios", required=True, help="the folder of the robust_*.txt scenarios")
    parser.add_argument("--work", required=True, help="the test's own folder")
    exit_with(run, parser)


if __name__ == "__main__":
    main()
