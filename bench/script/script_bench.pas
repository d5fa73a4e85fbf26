{ The Free Pascal side of the script benchmark: the same two programs, compiled.
  script_bench_fpc loop N   prints the loop's result for N iterations
  script_bench_fpc fib N    prints Fib(N)
  script_bench_fpc time loop N REPEATS / time fib N REPEATS
                            runs it REPEATS times and prints the result, then the
                            nanoseconds of one run (monotonic clock) }
program script_bench_fpc;

uses SysUtils, Linux, UnixType;

function Loop(N: Integer): Integer;
var
  I, Acc: Integer;
  S: String;
begin
  Acc := 0;
  S := '';
  for I := 1 to N do
  begin
    Acc := (Acc + I * 7) mod 1000003;
    S := S + IntToStr(I mod 10);
    if Length(S) >= 100 then
      S := '';
  end;
  Result := Acc + Length(S);
end;

function Fib(N: Integer): Integer;
begin
  if N < 2 then
    Result := N
  else
    Result := Fib(N - 1) + Fib(N - 2);
end;

function NowNs: Int64;
var
  T: TTimeSpec;
begin
  clock_gettime(CLOCK_MONOTONIC, @T);
  Result := Int64(T.tv_sec) * 1000000000 + T.tv_nsec;
end;

function RunOnce(const What: String; N: Integer): Integer;
begin
  if What = 'loop' then
    Result := Loop(N)
  else
    Result := Fib(N);
end;

var
  R, Repeats, I: Integer;
  Start: Int64;
begin
  if ParamStr(1) = 'time' then
  begin
    Repeats := StrToInt(ParamStr(4));
    Start := NowNs;
    R := 0;
    for I := 1 to Repeats do
      R := RunOnce(ParamStr(2), StrToInt(ParamStr(3)));
    WriteLn(R);
    WriteLn((NowNs - Start) div Repeats);
  end
  else
    WriteLn(RunOnce(ParamStr(1), StrToInt(ParamStr(2))));
end.
