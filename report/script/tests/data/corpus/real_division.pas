{ same in Pascal }
function F: Extended;
begin
  Result := 7 / 2;
end;
