{ same in Pascal }
function F: Integer;
begin
  Result := 2 + 3 * 4 - 6 div 3;
end;
