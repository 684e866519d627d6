"""Measures what came through a voice path: delay and likeness to what was sent."""
import numpy as np

ENVELOPE_RATE = 1000  # samples per second of the loudness envelopes


def load_raw(path):
    return np.fromfile(path, dtype="<i2").astype(np.float64)


def envelope(signal, rate):
    """Loudness over time: rectified, smoothed over 10 ms, at ENVELOPE_RATE."""
    step = rate // ENVELOPE_RATE
    window = np.ones(rate // 100) / (rate // 100)
    smooth = np.convolve(np.abs(signal), window, mode="same")
    return smooth[::step]


def lag_of(reference, output):
    """How many samples output lags reference, by cross-correlation."""
    n = len(reference) + len(output)
    size = 1 << (n - 1).bit_length()
    a = np.fft.rfft(reference - reference.mean(), size)
    b = np.fft.rfft(output - output.mean(), size)
    corr = np.fft.irfft(b * np.conj(a), size)
    lags = np.concatenate([np.arange(0, len(output)), np.arange(-len(reference) + 1, 0)])
    values = np.concatenate([corr[:len(output)], corr[size - len(reference) + 1:]])
    return int(lags[np.argmax(values)])


def aligned(reference, output, lag):
    if lag >= 0:
        output = output[lag:]
    else:
        reference = reference[-lag:]
    n = min(len(reference), len(output))
    return reference[:n], output[:n]


def correlation(a, b):
    a = a - a.mean()
    b = b - b.mean()
    denominator = np.sqrt((a * a).sum() * (b * b).sum())
    return float((a * b).sum() / denominator) if denominator > 0 else 0.0


def compare_pair(path, rate):
    """As compare, for a two-channel recording: reference left, output right."""
    both = load_raw(path)
    return compare_signals(both[0::2], both[1::2], rate)


def compare(reference_path, output_path, rate):
    return compare_signals(load_raw(reference_path), load_raw(output_path), rate)


def compare_signals(reference, output, rate):
    """Delay in ms, envelope likeness (-1..1), waveform SNR in dB, output level."""
    env_ref = envelope(reference, rate)
    env_out = envelope(output, rate)
    lag = lag_of(env_ref, env_out)
    r_env, o_env = aligned(env_ref, env_out, lag)
    likeness = correlation(r_env, o_env)
    # Refine the lag on the waveform around the envelope's estimate.
    coarse = lag * (rate // ENVELOPE_RATE)
    best, best_r = coarse, -1.0
    for fine in range(coarse - 40, coarse + 41):
        r, o = aligned(reference, output, fine)
        c = correlation(r, o)
        if c > best_r:
            best, best_r = fine, c
    best_r = min(max(best_r, 1e-9), 0.999999)
    snr = 10 * np.log10(best_r * best_r / (1 - best_r * best_r))
    level = float(np.sqrt((output * output).mean())) if len(output) else 0.0
    return {"delay_ms": 1000.0 * best / rate, "likeness": likeness, "snr_db": float(snr), "level": level}


def likeness_in_pieces(reference, output, rate, piece_seconds=0.5, most_slip_ms=200):
    """Envelope likeness with each half second aligned on its own (within
    most_slip_ms of the whole's alignment), weighted by the reference's
    loudness: how recognisable the speech is, where a playout that slipped
    by a frame or two mid-utterance would spoil the one-alignment figure."""
    env_ref = envelope(reference, rate)
    env_out = envelope(output, rate)
    r_env, o_env = aligned(env_ref, env_out, lag_of(env_ref, env_out))
    n = int(piece_seconds * ENVELOPE_RATE)
    slip = most_slip_ms * ENVELOPE_RATE // 1000
    values, weights = [], []
    for start in range(0, len(r_env) - n + 1, n):
        piece = r_env[start:start + n]
        if piece.std() <= 0:
            continue
        best = max(correlation(piece, o_env[first:first + n])
                   for first in range(max(0, start - slip), min(len(o_env) - n, start + slip) + 1, 2))
        values.append(best)
        weights.append(float((piece * piece).sum()))
    return float(np.average(values, weights=weights)) if values else 0.0
