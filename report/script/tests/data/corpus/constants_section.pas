function F: Integer;
const Base = 40; Extra = 2; Tint = clRed;
begin
  Result := Base + Extra + Tint;
end;
