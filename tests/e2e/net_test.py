"""The network game end to end: ZJServ on a free UDP port and two zoq-e2e clients on the real
clock, each on its own copy of the generated folder. The host creates a game on location1
(net_host.txt), the other joins it (net_join.txt); both fly, write their state each second
(`report`) and leave. The reports must show each glider seen moving by the other client, close
to where its owner put it; afterwards the server lists no game."""

import argparse
import math
import os
import socket

from e2e_harness import Child, Failure, check_scenario, exit_with, fresh_copy

LEAST_SEEN_MOVE = 50.0  # units a remote glider must be seen to move
NEAR = 30.0  # units a remote position may lie from its owner's, plus LAG of travel
LAG = 0.5  # seconds
LEAST_COMPARED = 3  # remote positions each client must have compared with their owner's
REPORT = "net.report"


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def read_report(path):
    """The report's samples: (seconds, self id, self position, {remote id: position})."""
    samples = []
    if not os.path.exists(path):
        raise Failure(f"{path} was not written")
    with open(path, encoding="utf-8", errors="replace") as report:
        for line in report:
            words = line.split()
            if len(words) < 2 or words[0] != "t" or "self" not in words:
                continue
            at = words.index("self")
            own = (int(words[at + 1], 16), tuple(float(v) for v in words[at + 2:at + 5]))
            if own[0] == 0:  # not in the game yet
                continue
            remotes = {}
            rest = words[at + 5:]
            while len(rest) >= 5 and rest[0] == "remote":
                # The client's own glider is networked too: only the others' count.
                if int(rest[1], 16) != own[0]:
                    remotes[int(rest[1], 16)] = tuple(float(v) for v in rest[2:5])
                rest = rest[5:]
            samples.append((int(words[1]) / 1000.0, own[0], own[1], remotes))
    if not samples:
        raise Failure(f"{path} holds no state line")
    return samples


def owner_at(track, when):
    """The owner's position at wall time `when` (linear between its samples) and its speed
    there, or None outside its samples."""
    for (t0, p0), (t1, p1) in zip(track, track[1:]):
        if t0 <= when <= t1 and t1 > t0:
            share = (when - t0) / (t1 - t0)
            position = tuple(a + (b - a) * share for a, b in zip(p0, p1))
            return position, math.dist(p0, p1) / (t1 - t0)
    return None


def check_view(viewer, owner, name):
    """What `viewer` saw of `owner`'s glider: moving, and where its owner reported it."""
    owner_ids = {sample[1] for sample in owner}
    if len(owner_ids) != 1:
        raise Failure(f"{name}: the owner reported the ids {sorted(owner_ids)}")
    owner_id = owner_ids.pop()
    track = [(sample[0], sample[2]) for sample in owner]
    seen = [(sample[0], sample[3][owner_id]) for sample in viewer if owner_id in sample[3]]
    if not seen:
        raise Failure(f"{name}: the glider {owner_id:x} was never seen")
    moved = max(math.dist(seen[0][1], position) for _, position in seen)
    if moved < LEAST_SEEN_MOVE:
        raise Failure(f"{name}: the glider was seen moving {moved:.1f} units, not {LEAST_SEEN_MOVE}")
    compared = 0
    worst = 0.0
    for when, position in seen:
        found = owner_at(track, when)
        if found is None:
            continue
        own, speed = found
        off = math.dist(own, position)
        allowed = NEAR + LAG * speed
        if off > allowed:
            raise Failure(f"{name}: at {when:.3f} s the glider was seen {off:.1f} units from its "
                          f"owner's position (allowed {allowed:.1f})")
        compared += 1
        worst = max(worst, off / allowed)
    if compared < LEAST_COMPARED:
        raise Failure(f"{name}: only {compared} remote positions fell inside the owner's report")
    print(f"{name}: seen moving {moved:.1f} units, {compared} positions within bounds "
          f"(the farthest at {worst:.0%} of its bound)", flush=True)


def client(name, arguments, folder, port, scope):
    fresh_copy(arguments.fixture, folder)
    script = os.path.join(arguments.scenarios, f"net_{name}.txt")
    env = {"ZOQ_NET_SEARCH": f"127.0.0.1:{port}", "ZOQ_INSTANCE_SCOPE": f"{scope}-{name}"}
    return Child(name, [arguments.zoq_e2e, "run", "--step", "0", script, folder], env=env)


def run(arguments, children):
    os.makedirs(arguments.work, exist_ok=True)
    scope = f"e2e-net-{os.getpid()}"
    port = free_udp_port()
    server_folder = os.path.join(arguments.work, "server")
    os.makedirs(server_folder, exist_ok=True)
    server = Child("server", [arguments.zjserv], cwd=server_folder,
                   env={"ZOQ_NET_PORT": str(port), "ZOQ_INSTANCE_SCOPE": f"{scope}-server"})
    children.append(server)
    server.wait_line(rf"on UDP port {port}$", 20)

    host_folder = os.path.join(arguments.work, "host")
    join_folder = os.path.join(arguments.work, "join")
    host = client("host", arguments, host_folder, port, scope)
    children.append(host)
    host.wait_line(r"^ok \d+ wait flying$", 180)
    join = client("join", arguments, join_folder, port, scope)
    children.append(join)
    for child in (host, join):
        check_scenario(child, child.finish(300))

    host_report = read_report(os.path.join(host_folder, REPORT))
    join_report = read_report(os.path.join(join_folder, REPORT))
    check_view(host_report, join_report, "host sees join")
    check_view(join_report, host_report, "join sees host")

    probe = Child("probe", [arguments.zoq_net, "probe", f"127.0.0.1:{port}"])
    children.append(probe)
    code = probe.finish(60)
    if code != 0 or "games 0" not in probe.lines:
        raise Failure(f"probe: exit {code}, no 'games 0' line")
    server.proc.terminate()
    if server.finish(10) != 0:
        raise Failure("server: did not close with exit 0")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--zoq-e2e", required=True)
    parser.add_argument("--zjserv", required=True)
    parser.add_argument("--zoq-net", required=True)
    parser.add_argument("--fixture", required=True, help="the generated folder to copy")
    parser.add_argument("--scenarios", required=True, help="the folder of net_host.txt and net_join.txt")
    parser.add_argument("--work", required=True, help="the test's own folder")
    exit_with(run, parser)


if __name__ == "__main__":
    main()
